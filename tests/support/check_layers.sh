#!/usr/bin/env bash
# Checks the two rules that keep the layers apart:
#  1. a core source file (listed in CORE_LIST) includes no graphics, windowing
#     or audio header;
#  2. every file under SRC_DIR includes only its own folder or a folder below
#     it: base < math < player < assets < world < app, and sound < app.
# Usage: check_layers.sh CORE_LIST SRC_DIR. Prints each offending line.
set -u
list=$1
src=$2
bad=0
while read -r f; do
  [ -n "$f" ] || continue
  if grep -nE '^\s*#\s*include\s*[<"](GL/|AL/|al\.h|alc\.h|vorbis/|glut|GLUT/)' "$f"; then
    echo "core file includes a device header: $f" >&2
    bad=1
  fi
done < "$list"

# The folders each folder may include from (besides itself).
declare -A below=(
  [base]=""
  [math]="base"
  [player]="base math"
  [assets]="base math player"
  [world]="base math player assets"
  [sound]="base"
  [app]="base math player assets world sound"
)
for dir in "$src"/*/; do
  folder=$(basename "$dir")
  if [ -z "${below[$folder]+set}" ]; then
    echo "source folder without a layer: $folder (add it to $0)" >&2
    bad=1
    continue
  fi
  while IFS= read -r hit; do
    inc=$(sed -E 's/.*#\s*include\s*"([a-z_]+)\/.*/\1/' <<<"$hit")
    [ "$inc" = "$folder" ] && continue
    case " ${below[$folder]} " in
      *" $inc "*) ;;
      *) echo "$hit: $folder must not include $inc" >&2; bad=1 ;;
    esac
  done < <(grep -rnE '^\s*#\s*include\s*"[a-z_]+/' "$dir")
done
exit $bad

#!/usr/bin/env bash
# Fails when a core source file includes a graphics, windowing or audio header.
set -u
list=$1
bad=0
while read -r f; do
  [ -n "$f" ] || continue
  if grep -nE '^\s*#\s*include\s*[<"](GL/|AL/|al\.h|alc\.h|vorbis/|glut|GLUT/)' "$f"; then
    echo "core file includes a device header: $f" >&2
    bad=1
  fi
done < "$list"
exit $bad

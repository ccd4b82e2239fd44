#!/usr/bin/env bash
# The installed game: `cmake --install` into a fresh prefix gives the binary,
# the whole data tree, a valid desktop entry and the icons. With the prefix
# made read-only, the installed binary finds its data by itself, plays the
# demo race to the name entry, records its run in the player's folder, and the
# prefix is left exactly as installed.
source "$(dirname "$0")/lib.sh"

PREFIX=$WORK/prefix
PLAYER_HOME=$WORK/home
# The prefix is read-only by the end; the scratch folder must still go.
trap 'status=$?; chmod -R u+w "$WORK" 2>/dev/null || true; (exit $status); finish' EXIT

cmake --install "$VORN_BUILD_DIR" --prefix "$PREFIX" > "$WORK/install.log" 2>&1 \
  || { cat "$WORK/install.log"; fail "cmake --install failed"; }
[ -x "$PREFIX/bin/vorn" ] || fail "no $PREFIX/bin/vorn"

# Every generated data file is installed (the build tree's own recordings aside).
(cd "$VORN_BUILD_DIR/data" && find . -type f ! -name '*.tmp' ! -path ./saves/twin_paths.txt | sort) > "$WORK/built.txt"
(cd "$PREFIX/share/vorn/data" && find . -type f | sort) > "$WORK/installed.txt"
diff "$WORK/built.txt" "$WORK/installed.txt" || fail "the installed data tree differs from the built one"
[ -f "$PREFIX/share/vorn/data/saves/twin_paths1.txt" ] || fail "the shipped ghost is not installed"

desktop=$PREFIX/share/applications/vorn.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate rejects $desktop"
for key in Name=Vorn Exec=vorn Icon=vorn StartupWMClass=vorn; do
  grep -qx "$key" "$desktop" || fail "the desktop entry lacks $key"
done

# The icons: PNG files of their size that ImageMagick decodes (checking the
# chunk CRCs and the zlib Adler-32), transparent in the rounded corners,
# opaque in the middle, with the cow's black outline and patches and its
# pink muzzle.
for size in 64 128; do
  icon=$PREFIX/share/icons/hicolor/${size}x${size}/apps/vorn.png
  info=$(identify -format '%m %w %h' "$icon" 2>&1) || fail "identify cannot read $icon: $info"
  [ "$info" = "PNG $size $size" ] || fail "$icon is '$info', expected 'PNG $size $size'"
  alpha=$(convert "$icon" -format "%[fx:p{0,0}.a] %[fx:p{$((size / 2)),$((size / 2))}.a]" info:)
  [ "$alpha" = "0 1" ] || fail "$icon: corner and centre alpha are '$alpha', expected '0 1'"
  ink=$(colour_fraction "$icon" 26 23 26 8)
  pink=$(colour_fraction "$icon" 245 173 178 8)
  echo "icon $size: black $ink, pink $pink"
  awk -v k="$ink" -v p="$pink" 'BEGIN { exit !(k > 0.08 && p > 0.08) }' || fail "$icon shows no cow's face"
done

chmod -R a-w "$PREFIX"
# As root the mode bits stop no write, so the proof that the game wrote
# nothing into the prefix is the same listing and checksums afterwards.
prefix_state() { (cd "$PREFIX" && find . -printf '%p %y %m %s\n' | sort && find . -type f -print0 | sort -z | xargs -0 md5sum); }
prefix_state > "$WORK/prefix_before.txt"

# Started from an empty folder by a player without XDG_DATA_HOME: the game
# finds its data from its own place and makes ~/.local/share/vorn.
mkdir -p "$PLAYER_HOME" "$WORK/cwd"
: > "$GAME_OUT"
(cd "$WORK/cwd" && exec env -u XDG_DATA_HOME HOME="$PLAYER_HOME" "$PREFIX/bin/vorn" --windowed --demo --fixed-step --trace) \
  > "$GAME_OUT" 2>&1 &
GAME_PID=$!
wait_state race 90
wid=$(game_window)
# Escape in the name entry ends the game without saving a name.
wait_state nameentry 240
quit_with_escape "$wid"

folder=$PLAYER_HOME/.local/share/vorn
[ -s "$folder/data/saves/twin_paths.txt" ] || fail "the race was not recorded in $folder"
[ ! -e "$folder/score.txt" ] || fail "Escape in the name entry saved a score"
[ ! -s "$folder/err.txt" ] || { cat "$folder/err.txt"; fail "the installed game reported errors"; }
[ -L "$folder/data/models" ] || fail "data/models in the player's folder is not a link to the install"
[ -d "$folder/data/saves" ] && [ ! -L "$folder/data/saves" ] || fail "data/saves in the player's folder is not a real folder"
[ -z "$(ls -A "$WORK/cwd")" ] || fail "the game wrote into the folder it was started from: $(ls -A "$WORK/cwd")"
prefix_state > "$WORK/prefix_after.txt"
diff "$WORK/prefix_before.txt" "$WORK/prefix_after.txt" || fail "the game changed the installed prefix"
echo "installed game: ok"

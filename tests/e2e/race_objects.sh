#!/usr/bin/env bash
# A tree on the slope stops a careless player: a run straight into a row of
# trees hits one. (The bottles and the trees in view are part of the
# full-game test.)
source "$(dirname "$0")/lib.sh"

mkdir -p "$WORK/root"
cp -r "$VORN_BUILD_DIR/data" "$WORK/root/data"
GAME_ROOT=$WORK/root

# A careless run straight into a fence of trees just below the start. The
# trees' boxes are thin, so the fence is dense: five tree kinds share the key
# colour (each pixel places one of each) and their records shift them 0 to 40
# units in x. Image column c is world x = (71 - c) * 50; the bottom row is
# z = 0.
map=$GAME_ROOT/data/maps/twin_paths.txt
key=$(sed -n 's/^1 tree.3DS \([0-9]*\) \([0-9]*\) \([0-9]*\)$/\1 \2 \3/p' "$map")
[ -n "$key" ] || fail "no tree kind in the object map"
{
  echo "a fence of trees"
  echo "#"
  for id in 1 2 3 4 5; do echo "$id tree.3DS $key"; done
  echo "#"
  for id in 1 2 3 4 5; do
    for pixel in $(seq 11); do echo "$id 0.085 -90.0 0.0 0.0 $(( (id - 1) * 10 )).0 30.0 0.0"; done
  done
} > "$map"
convert -size 72x100 xc:black -fill "rgb(${key// /,})" -draw "line 26,92 36,92" -type TrueColor \
  "BMP3:$GAME_ROOT/data/maps/twin_paths.bmp"
start_game
wait_state menu 90
wid=$(game_window)
sleep 0.5
click_virtual "$wid" 400 75   # "Single Game"
wait_state race 10
point_virtual "$wid" 400 380
sleep 3.5
xdotool windowfocus --sync "$wid" 2>/dev/null || true
xdotool keydown w
end=$((SECONDS + 30))
while [ $SECONDS -lt $end ] && ! grep -q '^tree hit: player 1' "$GAME_OUT"; do sleep 0.5; done
sleep 1
window_shot "$wid" "$WORK/tree_hit.png"
xdotool keyup w 2>/dev/null || true
grep '^tree hit' "$GAME_OUT" | head -3 || true
grep -q '^tree hit: player 1' "$GAME_OUT" || fail "running into a fence of trees hit none"
[ ! -s "$GAME_ROOT/err.txt" ] || { cat "$GAME_ROOT/err.txt"; fail "the changed placement image was reported"; }
quit_with_escape "$wid"
echo "objects: ok"

#!/usr/bin/env bash
# The objects on the slope in the real game. The demo race (fixed step, the
# same every run) takes bottles, each adding five seconds, and finishes with
# more than ten seconds left ("You Win!"); its pictures show the trees. Then a
# run straight into a row of trees hits one.
source "$(dirname "$0")/lib.sh"

mkdir -p "$WORK/root"
cp -r "$VORN_BUILD_DIR/data" "$WORK/root/data"
GAME_ROOT=$WORK/root

start_game --demo --fixed-step
wait_state race 90
wid=$(game_window)
sleep 6
window_shot "$wid" "$WORK/objects_race.png"
# Trees: dark needle green somewhere in the view (the grass is lighter and
# yellower, the snow white).
trees=$(convert "$WORK/objects_race.png" -alpha off \
  -fx '(g > r + 0.08 && g > b + 0.04 && g < 0.45) ? 1 : 0' -format '%[fx:mean]' info:)
echo "tree pixels: $trees"
awk -v f="$trees" 'BEGIN { exit !(f > 0.002) }' || fail "no trees in the race picture (fraction $trees)"

wait_state nameentry 240
bottles=$(grep -c '^bottle taken: player 1$' "$GAME_OUT" || true)
echo "bottles taken: $bottles"
[ "$bottles" -ge 3 ] || fail "the demo race took $bottles bottles, expected at least 3"
xdotool windowfocus --sync "$wid" 2>/dev/null || true
xdotool type --delay 120 "Demo"
click_virtual "$wid" 300 515  # "Save"
wait_state highscores 10
score=$(sed -n 1p "$GAME_ROOT/score.txt")
echo "score: $score"
[ "$score" -gt 10 ] 2>/dev/null || fail "the bottles did not win the race: $score seconds left"
quit_with_escape "$wid"

# A careless run straight into a fence of trees just below the start. The
# trees' boxes are thin, so the fence is dense: five tree kinds share the key
# colour (each pixel places one of each) and their records shift them 0 to 40
# units in x. Image column c is world x = (71 - c) * 50; the bottom row is
# z = 0.
rm -f "$GAME_ROOT/score.txt"
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

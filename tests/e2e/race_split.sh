#!/usr/bin/env bash
# A split race in the real window: "Split Game" is clicked, both players ride
# ("w" for player 1, "8" for player 2, real key events), each half of the
# window shows its own view with sky and course; Escape ends with status 0.
source "$(dirname "$0")/lib.sh"

start_game
wait_state menu 90
wid=$(game_window)
sleep 0.5
click_virtual "$wid" 400 275  # "Split Game"
wait_state split 10
point_virtual "$wid" 400 380
sleep 3.5
xdotool windowfocus --sync "$wid" 2>/dev/null || true
xdotool keydown w keydown 8
sleep 2
window_shot "$wid" "$WORK/split_1.png"
sleep 1
window_shot "$wid" "$WORK/split_2.png"
xdotool keyup w keyup 8 2>/dev/null || true

# Each half has its own sky at its top: blue in the top 12 % of both halves.
for half in 0 300; do
  convert "$WORK/split_2.png" -crop 800x40+0+$half +repage "$WORK/sky_$half.png"
  blue=$(sky_fraction "$WORK/sky_$half.png")
  echo "half at $half: sky blue fraction $blue"
  awk -v f="$blue" 'BEGIN { exit !(f > 0.3) }' || fail "no sky at the top of the half at y $half"
done
diff=$(picture_change "$WORK/split_1.png" "$WORK/split_2.png")
echo "change between pictures: $diff"
awk -v a="$diff" 'BEGIN { exit !(a > 0.02) }' || fail "the split picture does not change while riding"

if [ -n "${VORN_KEEP_SHOTS:-}" ]; then cp "$WORK"/split_*.png "$VORN_KEEP_SHOTS"/; fi

quit_with_escape "$wid"
echo "split race: ok"

#!/usr/bin/env bash
# A split race in the real window: "Split Game" is clicked, both players ride
# ("w" for player 1, "8" for player 2, real key events), each half of the
# window shows its own view with sky and course; Escape ends with status 0.
source "$(dirname "$0")/lib.sh"

shot() { import -window "$wid" "$1"; }

start_game
wait_state menu 90
wid=$(game_window)
sleep 0.5
click_virtual "$wid" 400 275  # "Split Game"
wait_state split 10
eval "$(xdotool getwindowgeometry --shell "$wid")"
xdotool mousemove --window "$wid" $((400 * WIDTH / 800)) $((380 * HEIGHT / 600))
sleep 3.5
xdotool windowfocus --sync "$wid" 2>/dev/null || true
xdotool keydown w keydown 8
sleep 2
shot "$WORK/split_1.png"
sleep 1
shot "$WORK/split_2.png"
xdotool keyup w keyup 8 2>/dev/null || true

# Each half has its own sky at its top: blue in the top 12 % of both halves.
for half in 0 300; do
  convert "$WORK/split_2.png" -crop 800x40+0+$half +repage "$WORK/sky_$half.png"
  blue=$(convert "$WORK/sky_$half.png" -alpha off -fx '(b > 0.5 && b > r + 0.08) ? 1 : 0' -format '%[fx:mean]' info:)
  echo "half at $half: sky blue fraction $blue"
  awk -v f="$blue" 'BEGIN { exit !(f > 0.3) }' || fail "no sky at the top of the half at y $half"
done
diff=$(compare -metric RMSE "$WORK/split_1.png" "$WORK/split_2.png" null: 2>&1 || true)
diff=$(echo "$diff" | sed 's/.*(\(.*\))/\1/')
echo "change between pictures: $diff"
awk -v a="$diff" 'BEGIN { exit !(a > 0.02) }' || fail "the split picture does not change while riding"

if [ -n "${VORN_KEEP_SHOTS:-}" ]; then cp "$WORK"/split_*.png "$VORN_KEEP_SHOTS"/; fi

press_key "$wid" Escape
wait_exit 20
[ "$EXIT_STATUS" -eq 0 ] || fail "Escape gave exit status $EXIT_STATUS"
echo "split race: ok"

#!/usr/bin/env bash
# A single race in the real window: "Single Game" is clicked, the countdown
# runs, "w" is held with real key events, and the screenshots show the sky,
# the course and the player moving down it; Escape then ends the game with
# status 0.
source "$(dirname "$0")/lib.sh"

start_game
wait_state menu 90
wid=$(game_window)
sleep 0.5
click_virtual "$wid" 400 75   # "Single Game"
wait_state race 10
# The pointer in the lower middle keeps the camera straight behind, a little above.
point_virtual "$wid" 400 380
sleep 3.5                     # "1", "2", "3", "GO"
window_shot "$wid" "$WORK/race_go.png"
xdotool windowfocus --sync "$wid" 2>/dev/null || true
xdotool keydown w
sleep 1.5
window_shot "$wid" "$WORK/race_1.png"
sleep 1.5
window_shot "$wid" "$WORK/race_2.png"
xdotool keyup w 2>/dev/null || true

# The sky: blue in the upper part of the picture.
convert "$WORK/race_2.png" -crop 100%x30%+0+0 +repage "$WORK/sky.png"
blue=$(sky_fraction "$WORK/sky.png")
echo "sky: blue fraction $blue"
awk -v f="$blue" 'BEGIN { exit !(f > 0.3) }' || fail "no sky in the upper part (blue fraction $blue)"

# The course in the lower part: lit or shaded snow, grass or ice, but never
# the sky's blue or the black of an empty frame.
convert "$WORK/race_2.png" -crop 100%x40%+0+360 +repage "$WORK/ground.png"
ground=$(convert "$WORK/ground.png" -alpha off \
  -fx '(r + g + b > 0.45) && !(b > 0.5 && b > r + 0.08 && b > g + 0.04) ? 1 : 0' -format '%[fx:mean]' info:)
echo "course: ground fraction $ground"
awk -v f="$ground" 'BEGIN { exit !(f > 0.35) }' || fail "no course in the lower part (ground fraction $ground)"

# Moving: the course below the horizon changes between the pictures (the
# clock and the gauges on the right are left out).
for f in race_go race_1 race_2; do convert "$WORK/$f.png" -crop 640x300+0+300 +repage "$WORK/${f}_ground.png"; done
diff1=$(picture_change "$WORK/race_go_ground.png" "$WORK/race_1_ground.png")
diff2=$(picture_change "$WORK/race_1_ground.png" "$WORK/race_2_ground.png")
echo "change between pictures: $diff1 $diff2"
awk -v a="$diff1" -v b="$diff2" 'BEGIN { exit !(a > 0.005 && b > 0.005) }' || fail "the picture does not change while riding"

if [ -n "${VORN_KEEP_SHOTS:-}" ]; then cp "$WORK"/race_*.png "$VORN_KEEP_SHOTS"/; fi

quit_with_escape "$wid"
echo "single race: ok"

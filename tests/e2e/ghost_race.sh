#!/usr/bin/env bash
# The ghost race in the real game. A player who does not move sees the ghost
# slide ahead as a yellow silhouette and arrive first: the race is lost and
# the ghost stays (the shipped run cut to its first four seconds, so the
# loss comes quickly). The demo driver then beats the whole shipped ghost:
# its run becomes the new ghost, and the next ghost race replays that run.
source "$(dirname "$0")/lib.sh"

mkdir -p "$WORK/root"
cp -r "$VORN_BUILD_DIR/data" "$WORK/root/data"
GAME_ROOT=$WORK/root
ghost_file=$GAME_ROOT/data/saves/twin_paths1.txt
recording=$GAME_ROOT/data/saves/twin_paths.txt
[ -s "$ghost_file" ] || fail "no ghost ships with the game"
cp "$ghost_file" "$WORK/shipped_ghost.txt"
head -n 240 "$WORK/shipped_ghost.txt" > "$ghost_file"
short=$(md5sum < "$ghost_file")

# 1. The ghost wins against a player who stays at the start.
start_game --fixed-step
wait_state menu 90
wid=$(game_window)
click_virtual "$wid" 300 175  # "Ghost Game" (y measured from the top)
wait_state race 10
grep -q "^ghost: 240 frames$" "$GAME_OUT" || fail "the ghost race did not load the ghost's run"
end=$((SECONDS + 60))
until grep -q '^message GO$' "$GAME_OUT"; do
  [ $SECONDS -lt $end ] || fail "no countdown"
  sleep 0.2
done
# The ghost takes its own line and leaves the view within a few seconds: the
# first pictures after "GO" must show it as a light yellow silhouette (red
# and green high, blue well below them) in the middle of the picture, where
# the HUD draws nothing.
best=0
for i in 1 2 3 4 5 6 7 8 9 10; do
  sleep 0.25
  window_shot "$wid" "$WORK/ghost_ahead_$i.png"
  yellow=$(convert "$WORK/ghost_ahead_$i.png" -alpha off -gravity center -crop 60%x60%+0+0 +repage \
    -fx '(r > 0.55 && g > 0.55 && b < r - 0.2 && b < g - 0.2) ? 1 : 0' -format '%[fx:mean]' info:)
  echo "ghost pixels in picture $i: $yellow"
  best=$(awk -v a="$best" -v b="$yellow" 'BEGIN { print (b > a) ? b : a }')
done
awk -v f="$best" 'BEGIN { exit !(f > 0.0003) }' || fail "no ghost in view (best fraction $best)"

end=$((SECONDS + 90))
until grep -q '^ghost finished$' "$GAME_OUT"; do
  [ $SECONDS -lt $end ] || fail "the ghost did not finish"
  kill -0 "$GAME_PID" 2>/dev/null || fail "game ended during the race"
  sleep 0.5
done
sleep 1
grep -q '^ghost kept$' "$GAME_OUT" && fail "a lost race replaced the ghost"
[ "$(md5sum < "$ghost_file")" = "$short" ] || fail "the ghost changed after a lost race"
[ -s "$recording" ] || fail "the ghost race was not recorded"
hold_key "$wid" space 1
wait_state_count menu 2 20
quit_with_escape "$wid"

# 2. The demo driver beats the shipped ghost; its recording becomes the ghost.
cp "$WORK/shipped_ghost.txt" "$ghost_file"
shipped=$(md5sum < "$ghost_file")
shipped_frames=$(wc -l < "$ghost_file")
start_game --ghost --fixed-step
wait_state race 90
wid=$(game_window)
end=$((SECONDS + 240))
until grep -q '^ghost kept$' "$GAME_OUT"; do
  [ $SECONDS -lt $end ] || fail "the demo driver did not beat the ghost"
  grep -q '^ghost finished$' "$GAME_OUT" && fail "the ghost beat the demo driver"
  kill -0 "$GAME_PID" 2>/dev/null || fail "game ended during the race"
  sleep 0.5
done
grep -qx "frame single: sky light models terrain objects ghost shadows snow music hud update" "$GAME_OUT" ||
  fail "the ghost race frame does not draw the ghost after the objects"
[ "$(md5sum < "$ghost_file")" != "$shipped" ] || fail "the winning run did not replace the ghost"
cmp -s "$ghost_file" "$recording" || fail "the new ghost is not the recorded run"
new_frames=$(wc -l < "$ghost_file")
echo "ghost frames: shipped $shipped_frames, new $new_frames"
[ "$new_frames" -lt "$shipped_frames" ] || fail "the winning run is not shorter than the ghost's"

# The next ghost race replays the new run.
hold_key "$wid" space 1
wait_state_count menu 2 20
click_virtual "$wid" 300 175
wait_state_count race 2 10
grep -q "^ghost: $new_frames frames$" "$GAME_OUT" || fail "the next ghost race did not load the new run"
quit_with_escape "$wid"

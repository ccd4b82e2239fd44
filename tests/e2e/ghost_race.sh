#!/usr/bin/env bash
# The ghost race won: the demo driver beats the shipped ghost, its run becomes
# the new ghost, and the next ghost race replays that run. (A lost ghost race
# is part of the full-game test.)
source "$(dirname "$0")/lib.sh"

mkdir -p "$WORK/root"
cp -r "$VORN_BUILD_DIR/data" "$WORK/root/data"
GAME_ROOT=$WORK/root
ghost_file=$GAME_ROOT/data/saves/twin_paths1.txt
recording=$GAME_ROOT/data/saves/twin_paths.txt
[ -s "$ghost_file" ] || fail "no ghost ships with the game"

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

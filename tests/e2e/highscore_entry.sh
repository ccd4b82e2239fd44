#!/usr/bin/env bash
# A won race reaches the name entry: the demo race on a fixed step (the same
# race every run) finishes on an empty table, a name typed with real key
# events and "Save" store it in score.txt, the table shows it, and "Back to
# Main" returns to the menu.
source "$(dirname "$0")/lib.sh"

# A private copy of the data, so no score.txt lands in the build folder.
mkdir -p "$WORK/root"
cp -r "$VORN_BUILD_DIR/data" "$WORK/root/data"
GAME_ROOT=$WORK/root

start_game --demo --fixed-step
wait_state race 90
wid=$(game_window)
wait_state nameentry 240
sleep 0.5
window_shot "$wid" "$WORK/entry_empty.png"
xdotool windowfocus --sync "$wid" 2>/dev/null || true
xdotool type --delay 120 "Bertax"
xdotool key BackSpace
sleep 0.5
window_shot "$wid" "$WORK/entry_typed.png"
# The name's row ("Name:" at height 200) gains text as the name is typed.
convert "$WORK/entry_empty.png" -crop 100%x12%+0+330 +repage "$WORK/row_empty.png"
convert "$WORK/entry_typed.png" -crop 100%x12%+0+330 +repage "$WORK/row_typed.png"
change=$(picture_change "$WORK/row_empty.png" "$WORK/row_typed.png")
echo "name row change: $change"
awk -v c="$change" 'BEGIN { exit !(c > 0.01) }' || fail "the typed name does not show"

click_virtual "$wid" 300 515  # "Save"
wait_state highscores 10
[ -f "$GAME_ROOT/score.txt" ] || fail "Save wrote no score.txt"
cat "$GAME_ROOT/score.txt"
[ "$(sed -n 2p "$GAME_ROOT/score.txt")" = "Berta" ] || fail "score.txt does not hold the name Berta"
score=$(sed -n 1p "$GAME_ROOT/score.txt")
[ "$score" -gt 0 ] 2>/dev/null || fail "score.txt does not start with a positive score: $score"
sleep 0.5
window_shot "$wid" "$WORK/table.png"

click_virtual "$wid" 300 515  # "Back to Main"
wait_state_count menu 2 10
quit_with_escape "$wid"
echo "highscore entry: ok"

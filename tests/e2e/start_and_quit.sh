#!/usr/bin/env bash
# The game loads to the menu, ends on Escape with status 0, and ends on a
# click on the "Quit" box with status 0; a clean start leaves err.txt empty.
source "$(dirname "$0")/lib.sh"

rm -f "$GAME_ROOT/err.txt"

start_game
wait_state loading 20
wait_state menu 60
wid=$(game_window)
sleep 0.5
screenshot "$WORK/menu.png"
press_key "$wid" Escape
wait_exit 20
[ "$EXIT_STATUS" -eq 0 ] || fail "Escape gave exit status $EXIT_STATUS"

start_game
wait_state menu 60
wid=$(game_window)
click_virtual "$wid" 400 475
wait_exit 20
[ "$EXIT_STATUS" -eq 0 ] || fail "Quit gave exit status $EXIT_STATUS"
grep -q "^state race" "$GAME_OUT" && fail "Quit started a race"

if [ -s "$GAME_ROOT/err.txt" ]; then
  cat "$GAME_ROOT/err.txt" >&2
  fail "err.txt is not empty after a clean start"
fi
echo "start and quit: ok"

#!/usr/bin/env bash
# The game's window on the desktop: its class ("vorn", "Vorn") and title,
# and a race that pauses when the window loses the keyboard focus or is
# hidden, and goes on with P.
source "$(dirname "$0")/lib.sh"

start_game
wait_state menu 90
wid=$(game_window)
class=$(xprop -id "$wid" WM_CLASS)
echo "$class"
[ "$class" = 'WM_CLASS(STRING) = "vorn", "Vorn"' ] || fail "window class: $class"
title=$(xprop -id "$wid" WM_NAME)
[ "$title" = 'WM_NAME(STRING) = "Vorn"' ] || fail "window title: $title"

click_virtual "$wid" 400 75  # "Single Game"
wait_state race 10
wait_line "^message GO$"
xdotool windowfocus --sync "$wid"
sleep 1
grep -qx paused "$GAME_OUT" && fail "the race paused while it had the focus"
root=$(xwininfo -root | awk '/Window id:/ { print $4 }')
xdotool windowfocus "$root"
wait_line "^paused$" 1 20
window_shot "$wid" "$WORK/paused.png"
press_key "$wid" p
wait_line "^resumed$" 1 20

xdotool windowunmap --sync "$wid"
wait_line "^paused$" 2 20
xdotool windowmap --sync "$wid"
press_key "$wid" p
wait_line "^resumed$" 2 20
grep -q '^state menu$' <(sed -n '/^state race$/,$p' "$GAME_OUT") && fail "the race ended while paused"
quit_with_escape "$wid"

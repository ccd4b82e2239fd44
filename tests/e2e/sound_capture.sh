#!/usr/bin/env bash
# The game's sound really plays: OpenAL Soft writes the mixed output to a WAV
# file (its wave backend) while the game sits in the menu and then rides a
# race; the recording must be audible after the first second in both.
source "$(dirname "$0")/lib.sh"

levels_tool=$GAME_ROOT/tests/vorn_wav_levels
capture=$WORK/output.wav
cat > "$WORK/alsoft.conf" <<CONF
drivers = wave
sample-type = int16
channels = stereo
frequency = 44100
[wave]
file = $capture
CONF
export ALSOFT_CONF=$WORK/alsoft.conf
export ALSOFT_DRIVERS=wave

start_game
wait_state menu 90
menu_start=$SECONDS
wid=$(game_window)
sleep 4
click_virtual "$wid" 400 75   # "Single Game"
wait_state race 10
sleep 3.5                     # the countdown
xdotool windowfocus --sync "$wid" 2>/dev/null || true
xdotool keydown w
sleep 3
xdotool keyup w 2>/dev/null || true
press_key "$wid" Escape
wait_exit 20
[ "$EXIT_STATUS" -eq 0 ] || fail "Escape gave exit status $EXIT_STATUS"

[ -s "$capture" ] || fail "no audio was recorded"
"$levels_tool" "$capture" 0.5 > "$WORK/levels.txt" || fail "the recording does not read as WAV"
length=$(awk '/^length/ { print $2 }' "$WORK/levels.txt")
echo "recorded $length s"
awk -v l="$length" 'BEGIN { exit !(l > 8) }' || fail "recording too short: $length s"

# Loading takes a moment before the menu music starts; from the second
# second on, every half second of menu and race must be audible (above
# -45 dBFS), and the recording as a whole must not be near silence.
silent=$(awk 'NR > 1 && $1 >= 2.0 && $2 < -45 { n++ } END { print n + 0 }' "$WORK/levels.txt")
windows=$(awk 'NR > 1 && $1 >= 2.0 { n++ } END { print n + 0 }' "$WORK/levels.txt")
loudest=$(awk 'NR > 1 { if ($2 > m || m == "") m = $2 } END { print m }' "$WORK/levels.txt")
echo "windows after 2 s: $windows, silent: $silent, loudest: $loudest dBFS"
[ "$windows" -gt 10 ] || fail "too few windows recorded"
# The last window may fall after the device closed; allow one quiet window.
[ "$silent" -le 1 ] || { cat "$WORK/levels.txt" >&2; fail "$silent silent half-seconds while music should play"; }
awk -v m="$loudest" 'BEGIN { exit !(m > -30) }' || fail "the loudest half second is only $loudest dBFS"
echo "sound capture: ok"

#!/usr/bin/env bash
# One whole session as a player has it, with the sound output recorded by
# OpenAL Soft's wave backend: the menu; a ghost race against a ghost cut to
# its first four seconds, which arrives first (Space back to the menu); a
# single race that the autopilot wins with bottles (the pictures show sky,
# course and trees and change while it rides), the name typed with real key
# events and saved, the table and "Back to Main"; a split race ridden with
# both players' real keys, left with Escape. The recording must be audible
# throughout and hold "pfferp" at each bottle and the win sound at the end.
# A second start is left with Escape while it loads.
source "$(dirname "$0")/lib.sh"

mkdir -p "$WORK/root"
cp -r "$VORN_BUILD_DIR/data" "$WORK/root/data"
GAME_ROOT=$WORK/root
sounds=$GAME_ROOT/data/sounds
ghost_file=$GAME_ROOT/data/saves/twin_paths1.txt
head -n 240 "$ghost_file" > "$WORK/ghost.txt" && mv "$WORK/ghost.txt" "$ghost_file"
short=$(md5sum < "$ghost_file")
levels_tool=$VORN_BUILD_DIR/tests/vorn_wav_levels
capture=$WORK/output.wav
cat > "$WORK/alsoft.conf" <<CONF
drivers = wave
sample-type = int16
channels = stereo
frequency = 44100
[wave]
file = $capture
CONF
export ALSOFT_CONF=$WORK/alsoft.conf ALSOFT_DRIVERS=wave

start_game --autopilot --fixed-step
wait_state menu 90
wid=$(game_window)
sleep 3                         # the menu music alone

# The ghost race: the ghost slides ahead as a light yellow silhouette and wins.
click_virtual "$wid" 300 175    # "Ghost Game"
wait_state race 10
grep -q "^ghost: 240 frames$" "$GAME_OUT" || fail "the ghost race did not load the ghost's run"
wait_line '^message GO$'
best=0
for i in 1 2 3 4 5 6; do
  sleep 0.3
  window_shot "$wid" "$WORK/ghost_$i.png"
  yellow=$(convert "$WORK/ghost_$i.png" -alpha off -gravity center -crop 60%x60%+0+0 +repage \
    -fx '(r > 0.55 && g > 0.55 && b < r - 0.2 && b < g - 0.2) ? 1 : 0' -format '%[fx:mean]' info:)
  best=$(awk -v a="$best" -v b="$yellow" 'BEGIN { print (b > a) ? b : a }')
done
echo "ghost pixels: best fraction $best"
above "$best" 0.0003 || fail "no ghost in view"
wait_line '^ghost finished$' 1 120
sleep 1
grep -q '^ghost kept$' "$GAME_OUT" && fail "a lost race replaced the ghost"
[ "$(md5sum < "$ghost_file")" = "$short" ] || fail "the ghost changed after a lost race"
[ -s "$GAME_ROOT/data/saves/twin_paths.txt" ] || fail "the ghost race was not recorded"
hold_key "$wid" space 1
wait_state_count menu 2 20

# The single race, driven by the autopilot.
click_virtual "$wid" 400 75     # "Single Game"
wait_state_count race 2 10
wait_line '^message GO$' 2
for i in 1 2; do sleep 2; window_shot "$wid" "$WORK/race_$i.png"; done
convert "$WORK/race_2.png" -crop 100%x30%+0+0 +repage "$WORK/sky.png"
sky=$(fraction "$WORK/sky.png" "$SKY_FX")
convert "$WORK/race_2.png" -crop 100%x40%+0+360 +repage "$WORK/ground.png"
ground=$(fraction "$WORK/ground.png" '(r + g + b > 0.45) && !(b > 0.5 && b > r + 0.08 && b > g + 0.04) ? 1 : 0')
trees=$(fraction "$WORK/race_1.png" '(g > r + 0.08 && g > b + 0.04 && g < 0.45) ? 1 : 0')
for f in 1 2; do convert "$WORK/race_$f.png" -crop 640x300+0+300 +repage "$WORK/lower_$f.png"; done
change=$(picture_change "$WORK/lower_1.png" "$WORK/lower_2.png")
echo "race pictures: sky $sky, ground $ground, trees $trees, change $change"
above "$sky" 0.3 || fail "no sky in the upper part"
above "$ground" 0.35 || fail "no course in the lower part"
above "$trees" 0.002 || fail "no trees in view"
above "$change" 0.005 || fail "the picture does not change while riding"

wait_state nameentry 400
bottles=$(grep -c '^bottle taken: player 1$' "$GAME_OUT" || true)
echo "bottles taken: $bottles"
[ "$bottles" -ge 3 ] || fail "the autopilot took $bottles bottles, expected at least 3"
sleep 0.5
window_shot "$wid" "$WORK/entry_empty.png"
xdotool windowfocus --sync "$wid" 2>/dev/null || true
xdotool type --delay 120 "Bertax"
xdotool key BackSpace
sleep 0.5
window_shot "$wid" "$WORK/entry_typed.png"
# The name's row ("Name:" at height 200) gains text as the name is typed.
for f in empty typed; do convert "$WORK/entry_$f.png" -crop 100%x12%+0+330 +repage "$WORK/row_$f.png"; done
above "$(picture_change "$WORK/row_empty.png" "$WORK/row_typed.png")" 0.01 || fail "the typed name does not show"
click_virtual "$wid" 300 515    # "Save"
wait_state highscores 10
[ "$(sed -n 2p "$GAME_ROOT/score.txt")" = "Berta" ] || fail "score.txt does not hold the name Berta"
score=$(sed -n 1p "$GAME_ROOT/score.txt")
echo "score: $score"
[ "$score" -gt 10 ] 2>/dev/null || fail "the bottles did not win the race: $score seconds left"
click_virtual "$wid" 300 515    # "Back to Main"
wait_state_count menu 3 10

# The split race with both players' keys: each half has its own sky and view.
click_virtual "$wid" 400 275    # "Split Game"
wait_state split 10
point_virtual "$wid" 400 380
wait_line '^message GO$' 3
xdotool windowfocus --sync "$wid" 2>/dev/null || true
xdotool keydown w keydown 8
sleep 2
window_shot "$wid" "$WORK/split_1.png"
sleep 1.5
window_shot "$wid" "$WORK/split_2.png"
xdotool keyup w keyup 8 2>/dev/null || true
for half in 0 300; do
  convert "$WORK/split_2.png" -crop 800x40+0+$half +repage "$WORK/sky_$half.png"
  above "$(fraction "$WORK/sky_$half.png" "$SKY_FX")" 0.3 ||
    fail "no sky at the top of the half at y $half"
  convert "$WORK/split_1.png" -crop 640x200+0+$((half + 100)) +repage "$WORK/view1_$half.png"
  convert "$WORK/split_2.png" -crop 640x200+0+$((half + 100)) +repage "$WORK/view2_$half.png"
  above "$(picture_change "$WORK/view1_$half.png" "$WORK/view2_$half.png")" 0.01 ||
    fail "the half at y $half does not change while its player rides"
done
quit_with_escape "$wid"

# The recording: music from the menu on and through each race until its end
# (the game silences it then), the sliding loop following the ground, and
# "pfferp" and the win sound each found in the mix where the game played them.
"$levels_tool" "$capture" 0.5 > "$WORK/levels.txt" || fail "the recording does not read as WAV"
# silent_between A B: the half-seconds from A to B that are near silence.
silent_between() { awk -v a="$1" -v b="$2" 'NR > 1 && $1 >= a && $1 + 0.5 <= b && $2 < -45 { n++ } END { print n + 0 }' "$WORK/levels.txt"; }
lost_at=$(sed -n 's/^sound lost at //p' "$GAME_OUT")
won_at=$(sed -n 's/^sound win at //p' "$GAME_OUT")
[ -n "$lost_at" ] && [ -n "$won_at" ] || fail "no lost or win sound at the races' ends"
echo "the ghost race lost at $lost_at s, the single race won at $won_at s"
# The menu music starts when loading is done.
music_from=$(awk 'NR > 1 && $2 >= -45 { print $1; exit }' "$WORK/levels.txt")
above "$(awk -v a="$lost_at" -v m="${music_from:-1e9}" 'BEGIN { print a - m }')" 20 || fail "no music in the menu"
[ "$(silent_between "$music_from" "$lost_at")" -eq 0 ] || fail "silence in the menu or the ghost race"
first_bottle=$(sed -n 's/^sound pfferp at //p' "$GAME_OUT" | head -n 1)
[ "$(silent_between "$first_bottle" "$won_at")" -eq 0 ] || fail "silence in the single race"
grep -E '^(sliding|sound) ' "$GAME_OUT"
[ "$(grep -oE '^sliding [a-z]+' "$GAME_OUT" | sort -u | wc -l)" -ge 2 ] || fail "the sliding loop never changed"
# match SOUND AT PREVIOUS: the effect must be clearly in the mix near AT (the
# output may lag the call by a few tenths), and far less at the earlier of 2 s
# before and just before PREVIOUS, the same effect's last call: bottles taken
# close together would otherwise hear each other.
match() {
  local near far before
  before=$(awk -v t="$2" -v p="$3" 'BEGIN { b = t - 2; if (p != "" && p - 1.2 < b) b = p - 1.2; print b }')
  near=$("$levels_tool" "$capture" find "$sounds/$1.wav" "$(awk -v t="$2" 'BEGIN { print t + 0.2 }')" 0.6 | awk '{ print $2 }')
  far=$("$levels_tool" "$capture" find "$sounds/$1.wav" "$before" 0.6 | awk '{ print $2 }')
  echo "$1 at $2 s: match $near; at $before s: $far"
  above "$near" 0.4 && above "$near" "$(awk -v f="$far" 'BEGIN { print 2 * f }')" || fail "no $1 in the recording at $2 s"
}
declare -A last_call
while read -r _ name _ at; do
  match "$name" "$at" "${last_call[$name]:-}"
  last_call[$name]=$at
done < <(grep -E '^sound (pfferp|win) at' "$GAME_OUT")

# Escape while the game loads.
start_game
press_key "$(game_window)" Escape
wait_exit 20
[ "$EXIT_STATUS" -eq 0 ] || fail "Escape while loading gave exit status $EXIT_STATUS"
grep -q '^state menu$' "$GAME_OUT" && fail "the game reached the menu after Escape"
echo "full game: ok"

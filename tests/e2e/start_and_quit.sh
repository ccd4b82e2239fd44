#!/usr/bin/env bash
# The game loads to the menu, its loading steps in order behind a loading
# screen whose bar grows, ends on Escape with status 0, and ends on a click on
# the "Quit" box with status 0; a clean start leaves err.txt empty.
source "$(dirname "$0")/lib.sh"

rm -f "$GAME_ROOT/err.txt"

STEPS="0 5 10 15 21"
shots=()
for step in $STEPS; do shots+=(--loading-snapshot "$step" "$WORK/loading_$step.bmp"); done
start_game "${shots[@]}"
wait_state loading 20
wait_state menu 60
wid=$(game_window)
sleep 0.5
screenshot "$WORK/menu.png"

expected="state loading|object_1|object_3|object_0|object_6|object_4|object_2|object_7|object_8|object_9"
expected+="|object_5|calcBrothers|world|beers|createShadowTexture|projection|scene loaded|state menu"
order=$(grep -oE "^(state loading|object_[0-9]|calcBrothers|world|beers|createShadowTexture|projection|scene loaded|state menu)" \
  "$GAME_OUT" | paste -sd'|')
[ "$order" = "$expected" ] || fail "loading order: $order"
# The bar is blue (0, 0, 1); its right edge stands at (step + 1) / 11 on a
# screen quad from -2 to 2, so its length after step s is (2 + (s + 1) / 11) / 4
# of the full bar after step 21.
bar() { convert "$1" -alpha off -fx '(b > 0.8 && r < 0.2 && g < 0.2) ? 1 : 0' -format '%[fx:mean*w*h]' info:; }
full=$(bar "$WORK/loading_21.bmp")
for step in $STEPS; do
  [ -s "$WORK/loading_$step.bmp" ] || fail "no loading screen after step $step"
  length=$(bar "$WORK/loading_$step.bmp")
  echo "loading bar after step $step: $length pixels"
  awk -v l="$length" -v f="$full" -v s="$step" \
    'BEGIN { want = (2 + (s + 1) / 11) / 4; exit !(f > 500 && l / f > want - 0.03 && l / f < want + 0.03) }' ||
    fail "loading bar after step $step: $length of $full pixels"
done
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

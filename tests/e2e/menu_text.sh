#!/usr/bin/env bash
# The menus' text with the real font under real X events: the main menu shows
# its five items in their rows, an item under the pointer lights up, a click
# on "Highscores" shows the best five of a prepared score file, and Escape
# there ends the game. Screenshots stay in $WORK (printed at the end).
source "$(dirname "$0")/lib.sh"

SCORE=$GAME_ROOT/score.txt
SAVED_SCORE=$WORK/score.saved
[ -f "$SCORE" ] && cp "$SCORE" "$SAVED_SCORE"
restore_score() {
  cleanup_game
  if [ -f "$SAVED_SCORE" ]; then cp "$SAVED_SCORE" "$SCORE"; else rm -f "$SCORE"; fi
}
trap restore_score EXIT

# Six entries: only the best five are listed.
printf '42\nAnn Lee\n37\nbob\n30\ncid\n21\ndan\n12\neve\n3\nsixth\n' > "$SCORE"

# window_shot WINDOW FILE: a screenshot of the game window only.
window_shot() {
  local wid=$1 file=$2
  eval "$(xdotool getwindowgeometry --shell "$wid")"
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$file"
}

# move_virtual WINDOW X Y: the pointer to virtual 800 x 600 coordinates.
move_virtual() {
  local wid=$1 x=$2 y=$3
  eval "$(xdotool getwindowgeometry --shell "$wid")"
  xdotool mousemove --window "$wid" $((x * WIDTH / 800)) $((y * HEIGHT / 600))
}

# band_fraction FILE LEFT RIGHT YUP_BOTTOM YUP_TOP KIND: fraction of pixels of
# a kind ("blue" item text, "light" highlighted text) in a box given in
# virtual coordinates with y upward, as the game places its texts.
band_fraction() {
  local file=$1 left=$2 right=$3 bottom=$4 top=$5 kind=$6
  local size w h
  size=$(identify -format '%w %h' "$file")
  w=${size% *}; h=${size#* }
  local x0=$((left * w / 800)) x1=$((right * w / 800))
  local y0=$(((600 - top) * h / 600)) y1=$(((600 - bottom) * h / 600))
  local expr
  case $kind in
    blue) expr='b>0.55 && r<0.3 && g<0.3' ;;
    light) expr='b>0.8 && r>0.5 && g>0.5' ;;
  esac
  convert "$file" -crop "$((x1 - x0))x$((y1 - y0))+$x0+$y0" +repage -alpha off \
    -fx "($expr) ? 1 : 0" -format '%[fx:mean]' info:
}

expect_text() {  # FILE LEFT RIGHT BOTTOM TOP KIND WHAT
  local f
  f=$(band_fraction "$1" "$2" "$3" "$4" "$5" "$6")
  awk -v f="$f" 'BEGIN { exit !(f > 0.04) }' || fail "$7: no $6 text in its row (fraction $f)"
}
expect_blank() {  # FILE LEFT RIGHT BOTTOM TOP KIND WHAT
  local f
  f=$(band_fraction "$1" "$2" "$3" "$4" "$5" "$6")
  awk -v f="$f" 'BEGIN { exit !(f < 0.002) }' || fail "$7: unexpected $6 pixels (fraction $f)"
}

start_game
wait_state menu 60
wid=$(game_window)
move_virtual "$wid" 5 5
sleep 0.8
window_shot "$wid" "$WORK/menu.png"
expect_text "$WORK/menu.png" 200 640 500 550 blue "Single Game"
expect_text "$WORK/menu.png" 200 640 400 450 blue "Ghost Game"
expect_text "$WORK/menu.png" 200 640 300 350 blue "Split Game"
expect_text "$WORK/menu.png" 200 640 200 250 blue "Highscores"
expect_text "$WORK/menu.png" 320 480 100 150 blue "Quit"
expect_blank "$WORK/menu.png" 0 800 455 495 blue "gap between the first two items"
expect_blank "$WORK/menu.png" 0 800 0 95 blue "below Quit"
expect_blank "$WORK/menu.png" 0 800 0 600 light "nothing hovered"

# The pointer over "Ghost Game" lights it up; the others stay blue.
move_virtual "$wid" 300 175
sleep 0.8
window_shot "$wid" "$WORK/menu_hover.png"
expect_text "$WORK/menu_hover.png" 170 660 390 460 light "hovered Ghost Game"
expect_blank "$WORK/menu_hover.png" 170 660 390 460 blue "hovered Ghost Game"
expect_text "$WORK/menu_hover.png" 200 640 500 550 blue "Single Game"

click_virtual "$wid" 400 375
wait_state highscores 20
move_virtual "$wid" 790 590
sleep 0.8
window_shot "$wid" "$WORK/highscores.png"
expect_text "$WORK/highscores.png" 20 800 470 520 blue "header"
for place in 1 2 3 4 5; do
  y=$((470 - 60 * place))
  expect_text "$WORK/highscores.png" 90 700 "$y" $((y + 50)) blue "row $place"
done
expect_blank "$WORK/highscores.png" 0 800 112 160 blue "a sixth row"
expect_text "$WORK/highscores.png" 120 800 60 110 blue "Back to Main"

# Escape in the table ends the game ("Back to Main" is part of the full-game test).
press_key "$wid" Escape
wait_exit 20
[ "$EXIT_STATUS" -eq 0 ] || fail "Escape gave exit status $EXIT_STATUS"
grep -q "^state race" "$GAME_OUT" && fail "a menu click started a race"
echo "menu text: ok (screenshots in $WORK)"

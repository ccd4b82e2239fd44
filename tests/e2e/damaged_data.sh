#!/usr/bin/env bash
# Damaged and missing data files: every one gets its err.txt lines, the game
# still reaches its menu, races where it can, and ends cleanly. A damaged
# course keeps the menu from starting a race at all.
source "$(dirname "$0")/lib.sh"

make_root() {
  rm -rf "$WORK/root"
  mkdir -p "$WORK/root"
  cp -r "$VORN_BUILD_DIR/data" "$WORK/root/data"
  GAME_ROOT=$WORK/root
}

truncate_half() { local f=$1; truncate -s $(( $(stat -c %s "$f") / 2 )) "$f"; }

# 1. Damaged assets around an intact course.
make_root
truncate_half "$GAME_ROOT/data/models/cow_without_ht.3DS"
rm -f "$GAME_ROOT/data/models/tree.3DS"
truncate_half "$GAME_ROOT/data/textures/snow4.tga"
head -c 3000 /dev/urandom > "$GAME_ROOT/data/music/01.ogg"
truncate -s 100 "$GAME_ROOT/data/sounds/horn.wav"
rm -f "$GAME_ROOT/data/textures/sky3/up.tga"
rm -f "$GAME_ROOT/data/textures/snowflake.bmp"
head -c 5000 /dev/urandom > "$GAME_ROOT/data/textures/auge.txt"

start_game
wait_state menu 90
wid=$(game_window)
click_virtual "$wid" 400 75   # "Single Game"
wait_state race 10
sleep 3.5
xdotool windowfocus --sync "$wid" 2>/dev/null || true
xdotool keydown w
sleep 2
xdotool keyup w 2>/dev/null || true
press_key "$wid" y            # the horn, whose sound is damaged
sleep 0.5
press_key "$wid" Escape
wait_exit 20
[ "$EXIT_STATUS" -eq 0 ] || fail "Escape gave exit status $EXIT_STATUS"

err=$GAME_ROOT/err.txt
[ -s "$err" ] || fail "no err.txt lines for the damaged files"
for name in cow_without_ht.3DS tree.3DS snow4.tga 01.ogg horn.wav up.tga snowflake.bmp auge.txt; do
  grep -q "$name" "$err" || { cat "$err" >&2; fail "err.txt does not name $name"; }
done
# Every report is two lines: a header without a tab, then a tab-indented detail.
awk 'NR % 2 == 1 && /^\t/ { bad = 1 } NR % 2 == 0 && !/^\t/ { bad = 1 } END { exit bad }' "$err" \
  || { cat "$err" >&2; fail "err.txt does not hold header and detail line pairs"; }

# 2. A damaged course: the menu comes up, but no race starts on it.
make_root
truncate_half "$GAME_ROOT/data/maps/twin_paths.rgb"
start_game
wait_state menu 90
wid=$(game_window)
click_virtual "$wid" 400 75   # "Single Game"
sleep 1.5
click_virtual "$wid" 400 275  # "Split Game"
sleep 1.5
grep -q "^state race" "$GAME_OUT" && fail "a single race started on a damaged course"
grep -q "^state split" "$GAME_OUT" && fail "a split race started on a damaged course"
grep -q "twin_paths.rgb" "$GAME_ROOT/err.txt" || { cat "$GAME_ROOT/err.txt" >&2; fail "err.txt does not name the course"; }
press_key "$wid" Escape
wait_exit 20
[ "$EXIT_STATUS" -eq 0 ] || fail "Escape gave exit status $EXIT_STATUS"
echo "damaged data: ok"

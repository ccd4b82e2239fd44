#!/usr/bin/env bash
# The race's effects in the real window: the same fixed-step demo race is
# pictured at chosen frames with the stencil shadows on, off, and on the
# one-sided stencil path; the shadows must only darken (nothing drawn after
# them may change) and must darken the cow's surroundings on both paths.
# The same in both halves of a split race. Then "h" shows the shadow volumes
# as a see-through yellow.
source "$(dirname "$0")/lib.sh"

FRAMES="300 440"
pictures() {  # pictures TAG [env...]: snapshots of the demo race
  local tag=$1; shift
  local args=()
  for f in $FRAMES; do args+=(--snapshot "$f" "$WORK/$tag$f.bmp"); done
  env "$@" "$GAME_BIN" --windowed --trace --data "$GAME_ROOT" --timed-frames 445 "${args[@]}" >> "$GAME_OUT" 2>&1 ||
    fail "the $tag run failed"
  for f in $FRAMES; do [ -s "$WORK/$tag$f.bmp" ] || fail "no picture of frame $f ($tag)"; done
}
# changed A B: pixels at least 4 % darker in A than in B.
darker() {
  convert "$2" "$1" -compose minus_src -composite -colorspace gray -threshold 4% -format '%[fx:round(mean*w*h)]' info:
}

pictures on
pictures off VORN_NO_SHADOW_VOLUMES=1
pictures one VORN_STENCIL_TWO_PASS=1
for f in $FRAMES; do
  shaded=$(darker "$WORK/on$f.bmp" "$WORK/off$f.bmp")
  lit=$(darker "$WORK/off$f.bmp" "$WORK/on$f.bmp")
  onesided=$(darker "$WORK/one$f.bmp" "$WORK/off$f.bmp")
  echo "frame $f: $shaded pixels shaded ($onesided one-sided), $lit brightened"
  [ "$shaded" -gt 150 ] || fail "frame $f: the cow casts no shadow ($shaded pixels)"
  [ "$onesided" -gt 150 ] || fail "frame $f: no shadow on the one-sided stencil path ($onesided pixels)"
  [ "$lit" -lt 10 ] || fail "frame $f: the shadow pass changed $lit pixels it should not have"
done

# The race frames' steps in their order (the game's own frame log).
view="sky light models terrain objects shadows snow"
grep -qx "frame single: $view music hud update" "$GAME_OUT" || fail "single race frame out of order"

# The split race: in the countdown both cows stand in view of both halves,
# and each half must show shadows of its own.
split_picture() {  # split_picture TAG [env...]
  local tag=$1; shift
  env "$@" "$GAME_BIN" --windowed --trace --data "$GAME_ROOT" --split --timed-frames 155 \
    --snapshot 150 "$WORK/split_$tag.bmp" >> "$GAME_OUT" 2>&1 || fail "the split $tag run failed"
  [ -s "$WORK/split_$tag.bmp" ] || fail "no picture of the split race ($tag)"
}
split_picture on
split_picture off VORN_NO_SHADOW_VOLUMES=1
grep -qx "frame split: projection bottom $view hud top $view hud full-view music update" "$GAME_OUT" ||
  fail "split race frame out of order"
for half in 0 300; do
  convert "$WORK/split_on.bmp" -crop 800x300+0+$half +repage "$WORK/split_on_$half.png"
  convert "$WORK/split_off.bmp" -crop 800x300+0+$half +repage "$WORK/split_off_$half.png"
  shaded=$(darker "$WORK/split_on_$half.png" "$WORK/split_off_$half.png")
  lit=$(darker "$WORK/split_off_$half.png" "$WORK/split_on_$half.png")
  echo "split half at y $half: $shaded pixels shaded, $lit brightened"
  [ "$shaded" -gt 60 ] || fail "split half at y $half: no shadows ($shaded pixels)"
  [ "$lit" -lt 10 ] || fail "split half at y $half: the shadow pass changed $lit pixels it should not have"
done

# Visual regression: the pictures, downscaled 4 x, against references kept in
# tests/e2e/references. A pixel counts as changed when a channel moves more
# than 3 %; software rendering repeats itself exactly on one machine, and the
# few pixels allowed absorb another CPU's rounding. Leaving out the shadows
# alone must already fail the check, or it guards nothing.
# VORN_RENEW_REFERENCES=1 writes the references anew instead.
REFS="$(dirname "$0")/references"
MAX_CHANGED=${VORN_REFERENCE_TOLERANCE:-10}
small() { convert "$1" -filter box -resize 200x150 -strip "$2"; }
# compare exits 1 when the pictures differ at all; the count is what matters.
changed() { { compare -metric AE -fuzz 3% "$1" "$2" null: 2>&1 || true; } | cut -d' ' -f1; }
for pair in "race_440:$WORK/on440.bmp:$WORK/off440.bmp" "split_150:$WORK/split_on.bmp:$WORK/split_off.bmp"; do
  IFS=: read -r name shot unshadowed <<< "$pair"
  small "$shot" "$WORK/$name.png"
  if [ -n "${VORN_RENEW_REFERENCES:-}" ]; then
    cp "$WORK/$name.png" "$REFS/$name.png"
    echo "reference $name renewed"
    continue
  fi
  [ -s "$REFS/$name.png" ] || fail "no reference picture $REFS/$name.png"
  small "$unshadowed" "$WORK/${name}_unshadowed.png"
  now=$(changed "$REFS/$name.png" "$WORK/$name.png")
  lost=$(changed "$REFS/$name.png" "$WORK/${name}_unshadowed.png")
  echo "reference $name: $now pixels changed; $lost without the shadows"
  [ "$lost" -gt "$MAX_CHANGED" ] || fail "reference $name: losing the shadows changes only $lost pixels"
  [ "$now" -le "$MAX_CHANGED" ] || fail "reference $name: $now pixels differ from the reference"
done

# "h": the volumes become visible, yellow around and below the cow.
yellow() {
  convert "$1" -alpha off -fx '(r > 0.55 && g > 0.45 && b < r - 0.2) ? 1 : 0' -format '%[fx:mean]' info:
}
start_game --demo --fixed-step
wait_state race 90
wid=$(game_window)
sleep 2
window_shot "$wid" "$WORK/plain.png"
press_key "$wid" h
sleep 1
window_shot "$wid" "$WORK/volumes.png"
before=$(yellow "$WORK/plain.png"); after=$(yellow "$WORK/volumes.png")
echo "yellow fraction: $before without, $after with the volumes shown"
awk -v a="$before" -v b="$after" 'BEGIN { exit !(b > 2 * a + 0.0005) }' || fail "\"h\" shows no shadow volumes"

if [ -n "${VORN_KEEP_SHOTS:-}" ]; then cp "$WORK"/*.bmp "$WORK"/*.png "$VORN_KEEP_SHOTS"/; fi
quit_with_escape "$wid"
echo "race effects: ok"

#!/usr/bin/env bash
# The timed replay runs the demo race on a fixed step, reports its frame rate
# and quits with status 0; two runs simulate the same race.
source "$(dirname "$0")/lib.sh"

run_replay() {
  "$GAME_BIN" --windowed --data "$GAME_ROOT" --trace --timed-frames 240 > "$1" 2>&1 \
    || fail "timed replay ended with status $?"
  grep -q "^timed replay: 240 race frames in" "$1" || { cat "$1" >&2; fail "no frame-rate line"; }
}
run_replay "$WORK/first.txt"
run_replay "$WORK/second.txt"
grep "^timed replay" "$WORK/first.txt"
# The states a replay passes through and where it ends are the same each time.
grep -q "^replay end: position" "$WORK/first.txt" || fail "no end position"
grep "^replay end" "$WORK/first.txt"
diff <(grep -E '^(state|replay end)' "$WORK/first.txt") <(grep -E '^(state|replay end)' "$WORK/second.txt") \
  || fail "the two replays differ"
echo "timed replay: ok"

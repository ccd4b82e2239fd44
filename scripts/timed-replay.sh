#!/usr/bin/env bash
# timed-replay.sh <build-dir> [frames]: runs the game's timed replay (the demo
# race on a fixed time step) in an 800 x 600 window on its own Xvfb display,
# with Mesa's software renderer, and prints the frame rate it reached and,
# where /usr/bin/time exists, the whole session's peak memory.
set -euo pipefail
build=${1:?build dir}
frames=${2:-600}
here=$(cd "$(dirname "$0")/.." && pwd)
display_file=$(mktemp /tmp/vorn_replay_display.XXXXXX)
"$here/tests/support/xvfb_start.sh" "$display_file"
trap '"$here/tests/support/xvfb_stop.sh" "$display_file"' EXIT
read -r display _ < "$display_file"
timer=()
[ -x /usr/bin/time ] && timer=(/usr/bin/time -f "peak memory: %M KiB")
echo "LP_NUM_THREADS=${LP_NUM_THREADS:-unset, the default of llvmpipe}"
DISPLAY=$display LIBGL_ALWAYS_SOFTWARE=1 ALSOFT_DRIVERS=null \
  "${timer[@]}" "$build/vorn" --windowed --timed-frames "$frames" 2>&1 | grep "^timed replay\|^peak memory"

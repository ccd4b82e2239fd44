#!/usr/bin/env bash
# timed-replay.sh <build-dir> [frames]: runs the game's timed replay (the demo
# race on a fixed time step) in an 800 x 600 window on its own Xvfb display,
# with Mesa's software renderer, and prints the frame rate it reached.
set -euo pipefail
build=${1:?build dir}
frames=${2:-600}
here=$(cd "$(dirname "$0")/.." && pwd)
display_file=$(mktemp /tmp/vorn_replay_display.XXXXXX)
"$here/tests/support/xvfb_start.sh" "$display_file"
trap '"$here/tests/support/xvfb_stop.sh" "$display_file"' EXIT
read -r display _ < "$display_file"
DISPLAY=$display LIBGL_ALWAYS_SOFTWARE=1 ALSOFT_DRIVERS=null \
  "$build/vorn" --windowed --timed-frames "$frames" | grep "^timed replay"

# Shared helpers of the end-to-end scripts. The game runs with --trace, which
# prints "state <name>" on every state change; its output is in $GAME_OUT.
set -euo pipefail

GAME_BIN=${1:?game binary}
WORK=$(mktemp -d /tmp/vorn_e2e.XXXXXX)
GAME_OUT=$WORK/stdout.txt
GAME_PID=
GAME_ROOT=${VORN_BUILD_DIR:?}

cleanup_game() {
  if [ -n "$GAME_PID" ] && kill -0 "$GAME_PID" 2>/dev/null; then
    kill "$GAME_PID" 2>/dev/null || true
    sleep 0.3
    kill -9 "$GAME_PID" 2>/dev/null || true
  fi
}
# The scratch folder (screenshots, recordings, copied data) is kept only when
# the script failed, for a look at what went wrong.
finish() {
  local status=$?
  cleanup_game
  if [ "$status" -eq 0 ] && [ -z "${VORN_KEEP_WORK:-}" ]; then rm -rf "$WORK"; fi
  exit "$status"
}
trap finish EXIT

fail() { echo "FAIL: $*" >&2; echo "--- game output:" >&2; cat "$GAME_OUT" >&2 || true; exit 1; }

# start_game [args...]: starts the game windowed with tracing on.
start_game() {
  : > "$GAME_OUT"
  "$GAME_BIN" --windowed --trace --data "$GAME_ROOT" "$@" > "$GAME_OUT" 2>&1 &
  GAME_PID=$!
}

# wait_state NAME [seconds]: waits until the trace reports the state.
wait_state() {
  local name=$1 limit=${2:-60}
  local end=$((SECONDS + limit))
  while [ $SECONDS -lt $end ]; do
    grep -q "^state $name\$" "$GAME_OUT" && return 0
    kill -0 "$GAME_PID" 2>/dev/null || fail "game ended before state $name"
    sleep 0.2
  done
  fail "state $name not reached within $limit s"
}

# wait_state_count NAME N [seconds]: waits until the state was entered N times.
wait_state_count() {
  local name=$1 n=$2 limit=${3:-30}
  local end=$((SECONDS + limit))
  while [ $SECONDS -lt $end ]; do
    [ "$(grep -c "^state $name\$" "$GAME_OUT" || true)" -ge "$n" ] && return 0
    kill -0 "$GAME_PID" 2>/dev/null || fail "game ended before state $name"
    sleep 0.2
  done
  fail "state $name not entered $n times within $limit s"
}

# wait_line PATTERN [COUNT] [seconds]: waits for COUNT lines of the game's output.
wait_line() {
  local end=$((SECONDS + ${3:-60}))
  until [ "$(grep -cE "$1" "$GAME_OUT" || true)" -ge "${2:-1}" ]; do
    [ $SECONDS -lt $end ] || fail "no line \"$1\" within ${3:-60} s"
    kill -0 "$GAME_PID" 2>/dev/null || fail "game ended before \"$1\""
    sleep 0.2
  done
}

# game_window: the X window id of the game.
game_window() {
  local wid
  for _ in $(seq 1 50); do
    wid=$(xdotool search --pid "$GAME_PID" --name "Vorn" 2>/dev/null | head -n 1 || true)
    [ -n "$wid" ] && { echo "$wid"; return 0; }
    sleep 0.1
  done
  fail "no game window"
}

# wait_exit [seconds]: waits for the game to end; sets EXIT_STATUS.
wait_exit() {
  local limit=${1:-20}
  local end=$((SECONDS + limit))
  while kill -0 "$GAME_PID" 2>/dev/null; do
    [ $SECONDS -lt $end ] || fail "game did not exit within $limit s"
    sleep 0.1
  done
  set +e
  wait "$GAME_PID"
  EXIT_STATUS=$?
  set -e
  GAME_PID=
}

# point_virtual WINDOW X Y: moves the pointer to virtual 800 x 600
# coordinates of the game window (real X events); sets WIDTH and HEIGHT.
point_virtual() {
  local wid=$1 x=$2 y=$3
  eval "$(xdotool getwindowgeometry --shell "$wid")"
  xdotool mousemove --window "$wid" $((x * WIDTH / 800)) $((y * HEIGHT / 600))
}

# click_virtual WINDOW X Y: points there and clicks the left button.
click_virtual() {
  point_virtual "$@"
  sleep 0.2
  xdotool click 1
}

# press_key WINDOW KEY...: focuses the game window and types real key events.
press_key() {
  local wid=$1; shift
  xdotool windowfocus --sync "$wid" 2>/dev/null || true
  xdotool key "$@" 2>/dev/null || true
}

# hold_key WINDOW KEY SECONDS: holds a key down for a while.
hold_key() {
  local wid=$1 k=$2 t=$3
  xdotool windowfocus --sync "$wid" 2>/dev/null || true
  xdotool keydown "$k"
  sleep "$t"
  xdotool keyup "$k" 2>/dev/null || true
}

# screenshot FILE: the whole screen.
screenshot() { import -window root "$1"; }

# window_shot WINDOW FILE: the game window alone.
window_shot() { import -window "$1" "$2"; }

# fraction FILE FX: the share of pixels for which the fx expression is 1.
fraction() { convert "$1" -alpha off -fx "$2" -format '%[fx:mean]' info:; }
SKY_FX='(b > 0.5 && b > r + 0.08) ? 1 : 0'  # clearly blue
# above VALUE MIN: true when VALUE > MIN (both may be fractions).
above() { awk -v v="$1" -v m="$2" 'BEGIN { exit !(v > m) }'; }

# picture_change A B: the normalised RMSE between two pictures of one size.
picture_change() {
  local out
  out=$(compare -metric RMSE "$1" "$2" null: 2>&1 || true)
  echo "$out" | sed 's/.*(\(.*\))/\1/'
}

# quit_with_escape WINDOW: Escape must end the game with status 0.
quit_with_escape() {
  press_key "$1" Escape
  wait_exit 20
  [ "$EXIT_STATUS" -eq 0 ] || fail "Escape gave exit status $EXIT_STATUS"
}

# colour_fraction FILE R G B TOL: fraction of pixels within TOL of (R,G,B).
colour_fraction() {
  local file=$1 r=$2 g=$3 b=$4 tol=$5
  convert "$file" -alpha off -fuzz "$tol%" -fill white -opaque "rgb($r,$g,$b)" \
    -fill black +opaque white -format '%[fx:mean]' info:
}

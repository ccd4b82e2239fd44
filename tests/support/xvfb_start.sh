#!/usr/bin/env bash
# Starts an Xvfb server on a free display number and writes ":N PID" to $1.
set -euo pipefail
out=$1
rm -f "$out"
for n in $(seq 90 140); do
  [ -e "/tmp/.X$n-lock" ] && continue
  [ -e "/tmp/.X11-unix/X$n" ] && continue
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp +extension GLX +render -noreset >/dev/null 2>&1 &
  pid=$!
  for _ in $(seq 1 50); do
    if [ -e "/tmp/.X11-unix/X$n" ] && xdpyinfo -display ":$n" >/dev/null 2>&1; then
      echo ":$n $pid" > "$out"
      exit 0
    fi
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill "$pid" 2>/dev/null || true
done
echo "could not start Xvfb" >&2
exit 1

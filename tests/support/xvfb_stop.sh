#!/usr/bin/env bash
# Stops the Xvfb server that xvfb_start.sh recorded in $1.
set -u
f=$1
[ -f "$f" ] || exit 0
read -r display pid < "$f"
kill "$pid" 2>/dev/null
for _ in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -9 "$pid" 2>/dev/null
rm -f "$f"
exit 0

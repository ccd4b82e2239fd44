#!/usr/bin/env bash
# Runs a command on the Xvfb display of the test fixture, with Mesa's software
# renderer and OpenAL Soft on its null backend.
set -euo pipefail
if [ -n "${VORN_DISPLAY_FILE:-}" ] && [ -f "$VORN_DISPLAY_FILE" ]; then
  read -r display _ < "$VORN_DISPLAY_FILE"
  export DISPLAY=$display
fi
if [ -z "${DISPLAY:-}" ]; then
  echo "no display: run through ctest so the xvfb fixture starts one" >&2
  exit 1
fi
export LIBGL_ALWAYS_SOFTWARE=1
export GALLIUM_DRIVER=llvmpipe
export ALSOFT_DRIVERS=${ALSOFT_DRIVERS:-null}
exec "$@"

#!/usr/bin/env bash
# run_fuzzer.sh <fuzzer> <corpus-dir> [seed-dir...]: a short libFuzzer run
# (VORN_FUZZ_SECONDS, default 5) over a corpus started from the seed folders.
set -euo pipefail
fuzzer=$1; corpus=$2; shift 2
mkdir -p "$corpus"
for seeds in "$@"; do
  [ -d "$seeds" ] && find "$seeds" -maxdepth 1 -type f -exec cp -f {} "$corpus"/ \;
done
exec "$fuzzer" -max_total_time="${VORN_FUZZ_SECONDS:-5}" -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 "$corpus"

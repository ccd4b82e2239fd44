#!/usr/bin/env bash
# run_long.sh <fuzz-build-dir>: every fuzz target for FUZZ_LONG_SECONDS each
# (default 600), one after another. Each keeps its corpus in the build tree
# (<target>_corpus, topped up from its seed folders), so a later run goes on
# where this one stopped. FUZZ_TARGETS="wav 3ds" picks targets by name.
# Prints executions per second, total executions and the coverage gained per
# target; stops at the first crash with its reproducer saved and printed.
set -euo pipefail
build=$(cd "${1:?usage: run_long.sh <fuzz-build-dir>}" && pwd)
seconds=${FUZZ_LONG_SECONDS:-600}
artifacts=$build/fuzz-artifacts
logs=$build/fuzz-logs
mkdir -p "$artifacts" "$logs"

if [ -n "${FUZZ_TARGETS:-}" ]; then
  targets=()
  for t in $FUZZ_TARGETS; do targets+=("vorn_fuzz_${t#vorn_fuzz_}"); done
else
  mapfile -t targets < <(find "$build/fuzz" -maxdepth 1 -name 'vorn_fuzz_*.seeds' -printf '%f\n' |
                         sed 's/\.seeds$//' | sort)
fi
[ ${#targets[@]} -gt 0 ] || { echo "no fuzz targets in $build (build it with make build-fuzz)" >&2; exit 1; }

# One value from libFuzzer's final statistics.
stat() { sed -n "s/^stat::$1: *//p" "$2" | tail -1 || true; }
# The coverage figure of the first (or, with "last", the last) status line
# naming the given event.
cov() {
  local lines
  lines=$(grep -E "$2" "$3" || true)
  if [ "$1" = first ]; then lines=$(head -1 <<< "$lines"); else lines=$(tail -1 <<< "$lines"); fi
  sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<< "$lines"
}

printf '%-28s %10s %14s %10s %8s\n' target exec/s executions coverage new
for name in "${targets[@]}"; do
  bin=$build/$name
  [ -x "$bin" ] || { echo "$name: not built" >&2; exit 1; }
  corpus=$build/fuzz/${name}_corpus
  mkdir -p "$corpus"
  IFS=";" read -r -a seeds < "$build/fuzz/$name.seeds" || true  # no line end
  for dir in "${seeds[@]}"; do
    [ -d "$dir" ] && find "$dir" -maxdepth 1 -type f -exec cp -n {} "$corpus"/ \;
  done
  log=$logs/$name.log
  status=0
  "$bin" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$artifacts/$name-" "$corpus" > "$log" 2>&1 || status=$?
  start=$(cov first INITED "$log"); end=$(cov last ' cov: ' "$log")
  printf '%-28s %10s %14s %10s %8s\n' "$name" "$(stat average_exec_per_sec "$log")" \
    "$(stat number_of_executed_units "$log")" "${end:-?}" "+$(( ${end:-0} - ${start:-0} ))"
  if [ "$status" -ne 0 ]; then
    echo "$name failed (exit $status); log: $log" >&2
    grep -E 'ERROR|runtime error|SUMMARY' "$log" | head -5 >&2 || true
    sed -n 's/.*Test unit written to \(.*\)/reproducer: \1/p' "$log" >&2
    exit 1
  fi
done

#!/bin/bash
# Runs every libFuzzer target of build-fuzz for SECONDS each (default 300) from its committed seeds
# and a working corpus under build-fuzz/corpus; fails when any target finds anything. A new target
# needs its CMake line, its name in the Makefile's FUZZ_TARGETS and a seed folder.
set -u
seconds=${1:-300}
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-fuzz
status=0
total=0
export LSAN_OPTIONS="suppressions=$root/tests/fuzz/lsan.supp:print_suppressions=0"
for exe in "$build"/tests/fuzz/fuzz_*; do
  [ -x "$exe" ] || continue
  target=${exe##*/fuzz_}
  corpus=$build/corpus/$target
  mkdir -p "$corpus" "$build/findings"
  dict=()
  [ -f "$root/tests/fuzz/$target.dict" ] && dict=(-dict="$root/tests/fuzz/$target.dict")
  log=$build/findings/$target.log
  "$exe" -max_total_time="$seconds" -print_final_stats=1 -rss_limit_mb=2048 -timeout=10 \
    -artifact_prefix="$build/findings/$target-" "${dict[@]}" "$corpus" "$root/tests/fuzz/seeds/$target" \
    >"$log" 2>&1
  rc=$?
  # libFuzzer prints its final stats twice when a leak is found at exit: take the last.
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | tail -n 1 | grep -o '[0-9]*$')
  runs=${runs:-0}
  total=$((total + runs))
  if [ $rc -ne 0 ]; then
    echo "fuzz_$target: FOUND SOMETHING after $runs runs (see $log)"
    status=1
  else
    echo "fuzz_$target: $runs runs in ${seconds}s, nothing found"
  fi
done
echo "all targets: $total runs"
exit $status

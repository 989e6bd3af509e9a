#!/usr/bin/env bash
# A short fuzz run of the TagEditor target, seeded with every generated stream
# shape. Usage: fuzz/smoke.sh BUILD_DIR SECONDS (BUILD_DIR holds the fuzz/ build).
set -euo pipefail
build=$1
seconds=${2:-30}
fuzzer=$build/fuzz/fuzz/mirale_tag_editor_fuzz
fixtures=$build/fuzz/tools/mirale-fixtures
corpus=$build/fuzz-corpus
mkdir -p "$corpus/seeds" "$corpus/found"
# Written every time, so that a kept corpus also gets shapes added since.
"$fixtures" "$corpus/seeds" --shape all >/dev/null
log=$build/fuzz-smoke.log
if "$fuzzer" -max_total_time="$seconds" -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$build/fuzz-" "$corpus/found" "$corpus/seeds" >"$log" 2>&1; then
  grep -E 'stat::number_of_executed_units|Done' "$log" | tail -n 2
  echo "fuzz smoke: no crash, leak or sanitizer report in ${seconds}s"
else
  tail -n 40 "$log"
  echo "fuzz smoke: the fuzzer found a problem (see $log)"
  exit 1
fi

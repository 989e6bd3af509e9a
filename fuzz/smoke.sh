#!/usr/bin/env bash
# A short fuzz run of each target, seeded with every generated shape of its
# format: TagEditor with the Ogg shapes, FlacEditor with the FLAC shapes.
# Usage: fuzz/smoke.sh BUILD_DIR SECONDS (BUILD_DIR holds the fuzz/ build);
# each target runs for SECONDS.
set -euo pipefail
build=$1
seconds=${2:-30}
fixtures=$build/fuzz/tools/mirale-fixtures

run_target() {  # target name, corpus name, mirale-fixtures shape arguments...
  local fuzzer=$build/fuzz/fuzz/$1 corpus=$build/$2
  shift 2
  mkdir -p "$corpus/seeds" "$corpus/found"
  # Written every time, so that a kept corpus also gets shapes added since.
  "$fixtures" "$corpus/seeds" "$@" >/dev/null
  local log=$build/$(basename "$fuzzer")-smoke.log
  if "$fuzzer" -max_total_time="$seconds" -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$build/fuzz-" "$corpus/found" "$corpus/seeds" >"$log" 2>&1; then
    grep -E 'stat::number_of_executed_units|Done' "$log" | tail -n 2
    echo "fuzz smoke: $(basename "$fuzzer"): no crash, leak or sanitizer report in ${seconds}s"
  else
    tail -n 40 "$log"
    echo "fuzz smoke: $(basename "$fuzzer") found a problem (see $log)"
    return 1
  fi
}

status=0
run_target mirale_tag_editor_fuzz fuzz-corpus --shape all || status=1
run_target mirale_flac_editor_fuzz fuzz-flac-corpus --flac --shape all || status=1
exit $status

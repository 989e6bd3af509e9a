#!/usr/bin/env bash
# mirale-cli on one long file and on a batch of small files, against the floor
# that the move-rewrite-delete design must cost, measured in the same run with a
# fresh copy of the input per run (warm cache):
#   one file:  mv f f.old && cat f.old > f [&& sync f] && rm f.old
#   batch:     cp -r of the same files [followed by one sync -f of the folder]
# The comment grows by 2,000 characters. Further mirale-cli binaries given after
# the build folder (an older build, say) are measured alike.
# Usage: bench/cli_retag.sh RELEASE_BUILD_DIR [OTHER_MIRALE_CLI...]
# Environment: MB (size of the long file, 200), FILES (batch size, 200), RUNS (5).
set -euo pipefail
build=$1
shift
clis=("$build/cli/mirale-cli" "$@")
fixtures=$build/tools/mirale-fixtures
[ -x "$fixtures" ] || fixtures=$build/tests/mirale-fixtures
mb=${MB:-200}
files=${FILES:-200}
runs=${RUNS:-5}
work=$(mktemp -d "${TMPDIR:-/tmp}/mirale-retag-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
# Journals of these runs stay in the work folder, not the user's.
export XDG_STATE_HOME=$work/state
comment=$(head -c 2000 /dev/zero | tr '\0' 'c')

"$fixtures" "$work" --shape long --size "$mb" --names "long" >/dev/null
mkdir -p "$work/seed" "$work/src"
"$fixtures" "$work/seed" --shape long --size 0.3 --count 10 --names "seed %n" >/dev/null
for i in $(seq 1 "$files"); do
  cp "$work/seed/seed $(printf %02d $((i % 10 + 1))).ogg" "$work/src/$(printf %03d "$i") - Artist - Title.ogg"
done

now() { date +%s%N; }
# Runs "$@" on a fresh copy at $work/f.ogg; prints its wall time in ms.
timed_single() {
  rm -f "$work/f.ogg" "$work/f.ogg.old"
  cp "$work/long.ogg" "$work/f.ogg"
  sync
  local start
  start=$(now)
  "$@" >/dev/null
  echo $((($(now) - start) / 1000000))
}
floor() { mv "$work/f.ogg" "$work/f.ogg.old" && cat "$work/f.ogg.old" >"$work/f.ogg" && rm "$work/f.ogg.old"; }
floor_sync() {
  mv "$work/f.ogg" "$work/f.ogg.old" && cat "$work/f.ogg.old" >"$work/f.ogg" &&
    sync "$work/f.ogg" && rm "$work/f.ogg.old"
}
timed_batch() {
  rm -rf "$work/b" "$work/copy"
  cp -r "$work/src" "$work/b"
  sync
  local start
  start=$(now)
  "$@" >/dev/null
  echo $((($(now) - start) / 1000000))
}
copy_batch() { cp -r "$work/b" "$work/copy"; }
copy_batch_sync() { cp -r "$work/b" "$work/copy" && sync -f "$work/copy"; }

median() { printf '%s\n' "$@" | sort -n | sed -n "$((($# + 1) / 2))p"; }
declare -A single batch
names=(floor floor+sync)
for c in "${!clis[@]}"; do names+=("cli$c"); done
for run in $(seq 1 "$runs"); do
  single[floor]+=" $(timed_single floor)"
  single[floor+sync]+=" $(timed_single floor_sync)"
  batch[floor]+=" $(timed_batch copy_batch)"
  batch[floor+sync]+=" $(timed_batch copy_batch_sync)"
  for c in "${!clis[@]}"; do
    single[cli$c]+=" $(timed_single "${clis[$c]}" --comment "$comment" "$work/f.ogg")"
    batch[cli$c]+=" $(timed_batch "${clis[$c]}" --comment "$comment" "$work/b"/*.ogg)"
  done
done

report() {  # title, array name
  local -n table=$2
  local base base_sync
  base=$(median ${table[floor]})
  base_sync=$(median ${table[floor+sync]})
  echo "$1 (median of $runs, ms; ratios to the floor without and with the flush)"
  for name in "${names[@]}"; do
    local m label=$name
    m=$(median ${table[$name]})
    case $name in cli*) label="mirale-cli ${clis[${name#cli}]}" ;; esac
    printf '  %-60s %6d ms  x%.2f  x%.2f   [%s ]\n' "$label" "$m" \
      "$(echo "$m / $base" | bc -l)" "$(echo "$m / $base_sync" | bc -l)" "${table[$name]}"
  done
}
report "one file of $(($(stat -c %s "$work/long.ogg") / 1048576)) MiB" single
report "$files files of 300 KB, one process" batch

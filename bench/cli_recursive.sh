#!/usr/bin/env bash
# mirale-cli -r on a folder of 1,000 and of 4,000 files of about 250 KB (the
# first retag of a library, journal on), against `cp -r` of the same folder
# followed by `sync -f`: ms per file and the ratio. Each mirale-cli given is
# measured in the same run on a fresh copy (an older build beside this one, say).
# Usage: bench/cli_recursive.sh RELEASE_BUILD_DIR [OTHER_MIRALE_CLI...]
# Environment: COUNTS (the batch sizes, "1000 4000"), RUNS (3).
set -euo pipefail
build=$1
shift
clis=("$build/cli/mirale-cli" "$@")
fixtures=$build/tools/mirale-fixtures
counts=${COUNTS:-1000 4000}
runs=${RUNS:-3}
work=$(mktemp -d "${TMPDIR:-/tmp}/mirale-recursive-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
# The runs' journals stay with the benchmark's files.
export XDG_STATE_HOME=$work/state

mkdir -p "$work/seed"
"$fixtures" "$work/seed" --shape long --size 0.25 --count 10 --names "seed %n" >/dev/null

# Prints the wall time in ms of "$@", run on a fresh copy of the source at
# $work/b (warm cache, nothing left dirty before it); its processor time
# (user + system, ms) goes to $work/cpu.
timed() {
  rm -rf "$work/b" "$work/copy" "$work/state" && cp -r "$work/src" "$work/b" && sync
  local start=$EPOCHREALTIME
  /usr/bin/time -f "%U %S" -o "$work/cpu" "$@" >/dev/null
  echo "($EPOCHREALTIME - $start) * 1000 / 1" | bc
}
cpu_ms() { awk '{ printf "%d", ($1 + $2) * 1000 }' "$work/cpu"; }
median() { printf '%s\n' "$@" | sort -n | sed -n "$((($# + 1) / 2))p"; }

for files in $counts; do
  rm -rf "$work/src"
  mkdir -p "$work/src"
  # Albums of 100 files, as a library is kept.
  for i in $(seq 1 "$files"); do
    album=$work/src/album$(printf %03d $((i / 100)))
    mkdir -p "$album"
    cp "$work/seed/seed $(printf %02d $((i % 10 + 1))).ogg" "$album/$(printf %02d $((i % 100))) - Artist - Title $i.ogg"
  done
  declare -A times=() cpu=()
  for run in $(seq 1 "$runs"); do
    times[copy]+=" $(timed bash -c "cp -r '$work/b' '$work/copy' && sync -f '$work/copy'")"
    cpu[copy]+=" $(cpu_ms)"
    for c in "${!clis[@]}"; do
      times[cli$c]+=" $(timed "${clis[$c]}" -q --album X --track-from-order -r "$work/b")"
      cpu[cli$c]+=" $(cpu_ms)"
    done
  done
  base=$(median ${times[copy]})
  echo "$files files of $(($(du -sb "$work/src" | cut -f1) / files / 1024)) KB, -r (median of $runs;" \
    "wall ms, ms per file, ratio to the copy; then processor ms, user + system)"
  for name in copy "${!clis[@]}"; do
    key=$name label="cp -r + sync -f"
    [ "$name" = copy ] || key=cli$name label="mirale-cli ${clis[$name]}"
    m=$(median ${times[$key]})
    printf '  %-50s %6d ms %5.2f ms/file x%.2f  cpu %6d ms  [%s ]\n' "$label" "$m" \
      "$(echo "$m / $files" | bc -l)" "$(echo "$m / $base" | bc -l)" "$(median ${cpu[$key]})" \
      "${times[$key]}"
  done
  unset times cpu
done

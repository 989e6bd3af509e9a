#!/usr/bin/env bash
# mirale-cli --show (and --show --json) on 1,000 generated files of about 300 KB,
# warm: the files are read once before the timed rounds. Only the headers are
# read, so the time should not grow with the audio.
# Usage: bench/cli_show.sh RELEASE_BUILD_DIR [FILES]
set -euo pipefail
build=$1
files=${2:-1000}
cli=$build/cli/mirale-cli
fixtures=$build/tests/mirale-fixtures
work=$(mktemp -d "${TMPDIR:-/tmp}/mirale-show-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

mkdir -p "$work/seed" "$work/src"
"$fixtures" "$work/seed" --shape long --size 0.3 --count 10 --names "seed %n" >/dev/null
for i in $(seq 1 "$files"); do
  cp "$work/seed/seed $(printf %02d $((i % 10 + 1))).ogg" "$work/src/$(printf %04d "$i") - Artist - Title.ogg"
done
bytes=$(du -sb "$work/src" | cut -f1)

seconds() { echo "scale=3; ($2 - $1) / 1000000000" | bc; }
median() { printf '%s\n' "$@" | sort -n | sed -n 3p; }
"$cli" --show -r "$work/src" >/dev/null  # warms the cache
for mode in "--show" "--show --json"; do
  times=()
  for round in 1 2 3 4 5; do
    start=$(date +%s%N)
    # shellcheck disable=SC2086
    "$cli" $mode -r "$work/src" >/dev/null
    times+=("$(seconds "$start" "$(date +%s%N)")")
  done
  echo "mirale-cli $mode -r on $files files ($((bytes / 1048576)) MiB), median of 5: $(median "${times[@]}") s   [${times[*]}]"
done

#!/usr/bin/env bash
# mirale-cli on 1,000 generated files of about 300 KB, each file's album, artist,
# title and track number set, against a plain copy of the same files (cp) made in
# the same run. Usage: bench/cli_batch.sh RELEASE_BUILD_DIR [FILES]
set -euo pipefail
build=$1
files=${2:-1000}
cli=$build/cli/mirale-cli
fixtures=$build/tools/mirale-fixtures
work=$(mktemp -d "${TMPDIR:-/tmp}/mirale-cli-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

# Ten distinct streams, each copied under many names.
mkdir -p "$work/seed" "$work/src"
"$fixtures" "$work/seed" --shape long --size 0.3 --count 10 --names "seed %n" >/dev/null
for i in $(seq 1 "$files"); do
  cp "$work/seed/seed $(printf %02d $((i % 10 + 1))).ogg" "$work/src/$(printf %02d $((i % 100))) - Artist $i - Title $i.ogg"
done
bytes=$(du -sb "$work/src" | cut -f1)

seconds() { local start=$1 end=$2; echo "scale=3; ($end - $start) / 1000000000" | bc; }
copy_times=()
retag_times=()
for round in 1 2 3; do
  sync
  start=$(date +%s%N)
  cp -r "$work/src" "$work/copy"
  sync
  copy_times+=("$(seconds "$start" "$(date +%s%N)")")
  rm -rf "$work/copy"

  cp -r "$work/src" "$work/retag"
  sync
  start=$(date +%s%N)
  "$cli" --album X --artist-from-name --title-from-name --track-from-name "$work/retag"/*.ogg >/dev/null
  sync
  retag_times+=("$(seconds "$start" "$(date +%s%N)")")
  rm -rf "$work/retag"
done
median() { printf '%s\n' "$@" | sort -n | sed -n 2p; }
copy=$(median "${copy_times[@]}")
retag=$(median "${retag_times[@]}")
echo "files: $files, $((bytes / 1048576)) MiB in all"
echo "plain copy (cp -r), median of 3: ${copy} s   [${copy_times[*]}]"
echo "mirale-cli retag,   median of 3: ${retag} s   [${retag_times[*]}]"
echo "ratio retag / copy: $(echo "scale=2; $retag / $copy" | bc)"

#!/usr/bin/env bash
# mirale-cli on one long Ogg file, one long FLAC file and a batch of small files,
# against the floor that the move-rewrite-delete design must cost, measured in
# the same run with a fresh copy of the input per run (warm cache):
#   one file:  mv f f.old && cat f.old > f [&& sync f] && rm f.old
#   batch:     cp -r of the same files [followed by one sync -f of the folder]
# The comment grows by 2,000 characters, and every file is rewritten whole
# (--rewrite: the libFLAC file's padding would take the comment in place).
# The FLAC file is encoded by libFLAC (not repeated frames). Then the peak
# memory of mirale-cli on each long file and on a small one: it must not grow
# with the file. Further mirale-cli
# binaries given after the build folder (an older build, say) are measured alike.
# Usage: bench/cli_retag.sh RELEASE_BUILD_DIR [OTHER_MIRALE_CLI...]
# Environment: MB (size of the long files, 200), FILES (batch size, 200), RUNS (5).
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
"$fixtures" "$work" --flac --shape long --size "$mb" --names "long" >/dev/null
"$fixtures" "$work" --flac --shape long --size 2 --names "small" >/dev/null
mkdir -p "$work/seed" "$work/src"
"$fixtures" "$work/seed" --shape long --size 0.3 --count 10 --names "seed %n" >/dev/null
for i in $(seq 1 "$files"); do
  cp "$work/seed/seed $(printf %02d $((i % 10 + 1))).ogg" "$work/src/$(printf %03d "$i") - Artist - Title.ogg"
done

now() { date +%s%N; }
# Runs "$@" on a fresh copy of $work/long.$ext at $work/f.$ext (ext is set by
# the caller); prints its wall time in ms.
timed_single() {
  rm -f "$work/f.$ext" "$work/f.$ext.old"
  cp "$work/long.$ext" "$work/f.$ext"
  sync
  local start
  start=$(now)
  "$@" >/dev/null
  echo $((($(now) - start) / 1000000))
}
floor() { mv "$work/f.$ext" "$work/f.$ext.old" && cat "$work/f.$ext.old" >"$work/f.$ext" && rm "$work/f.$ext.old"; }
floor_sync() {
  mv "$work/f.$ext" "$work/f.$ext.old" && cat "$work/f.$ext.old" >"$work/f.$ext" &&
    sync "$work/f.$ext" && rm "$work/f.$ext.old"
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
declare -A single flac batch
names=(floor floor+sync)
for c in "${!clis[@]}"; do names+=("cli$c"); done
for run in $(seq 1 "$runs"); do
  for ext in ogg flac; do
    declare -n table=single
    [ "$ext" = flac ] && declare -n table=flac
    table[floor]+=" $(timed_single floor)"
    table[floor+sync]+=" $(timed_single floor_sync)"
    for c in "${!clis[@]}"; do
      table[cli$c]+=" $(timed_single "${clis[$c]}" --rewrite --comment "$comment" "$work/f.$ext")"
    done
  done
  batch[floor]+=" $(timed_batch copy_batch)"
  batch[floor+sync]+=" $(timed_batch copy_batch_sync)"
  for c in "${!clis[@]}"; do
    batch[cli$c]+=" $(timed_batch "${clis[$c]}" --rewrite --comment "$comment" "$work/b"/*.ogg)"
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
report "one Ogg file of $(($(stat -c %s "$work/long.ogg") / 1048576)) MiB" single
report "one FLAC file of $(($(stat -c %s "$work/long.flac") / 1048576)) MiB" flac
report "$files files of 300 KB, one process" batch

# Peak resident memory (/usr/bin/time's maximum RSS) of the first mirale-cli.
peak() {  # file
  cp "$1" "$work/m.${1##*.}"
  /usr/bin/time -f %M -o "$work/rss" "${clis[0]}" --rewrite --comment "$comment" "$work/m.${1##*.}" >/dev/null
  rm -f "$work/m.${1##*.}"
  echo "$(cat "$work/rss") KB"
}
echo "peak memory of mirale-cli ${clis[0]}"
for file in "$work/long.ogg" "$work/long.flac" "$work/small.flac"; do
  printf '  %-12s %5d MiB  %s\n' "$(basename "$file")" "$(($(stat -c %s "$file") / 1048576))" \
    "$(peak "$file")"
done

#!/usr/bin/env bash
# mirale-cli editing files in place against the floor of a crash-safe edit in
# place and against its own full rewrite, measured in the same run:
#   one 200 MB Ogg Vorbis file and one 200 MB FLAC file with room in their
#   padding: the floor is two writes of 8 KiB into files that already exist
#   (a record's and the audio file), each followed by fdatasync, made by a
#   process of its own (goal: mirale-cli within 2x of it, and at least 30x
#   faster than its full rewrite, --rewrite, of the same file);
#   a batch of 200 padded files of 300 KB (BATCH_MB): in place against --rewrite (goal:
#   at most 1/10 of the time) and against the floor of a crash-safe batch in
#   place (mirale-in-place-floor given the batch: each file's headers read, the
#   records flushed, a sector of each file written, one syncfs, each sector
#   read back from the disk, the records retired), and the bytes written into
#   the audio files.
# Each run changes the comment (to another text of the same length), so that
# every run writes; nothing is left dirty before a run. Further mirale-cli
# binaries given after the build folder (an older build, say) are measured
# alike, in the same runs.
# Usage: bench/cli_in_place.sh RELEASE_BUILD_DIR [OTHER_MIRALE_CLI...]
# Environment: MB (size of the long files, 200), FILES (batch size, 200),
# BATCH_MB (size of each batch file, 0.3; 4 is a song of about four minutes), RUNS (11).
set -euo pipefail
build=$1
shift
clis=("$build/cli/mirale-cli" "$@")
cli=${clis[0]}
floor=$build/bench/mirale-in-place-floor
fixtures=$build/tools/mirale-fixtures
mb=${MB:-200}
files=${FILES:-200}
batch_mb=${BATCH_MB:-0.3}
runs=${RUNS:-11}
work=$(mktemp -d "${TMPDIR:-/tmp}/mirale-in-place-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
# Journals of these runs stay in the work folder, not the user's.
export XDG_STATE_HOME=$work/state

# The long files, each rewritten once by mirale-cli so that its tags have room.
"$fixtures" "$work" --shape long --size "$mb" --names "long" >/dev/null
head -c $((mb * 1000000)) /dev/urandom |
  flac --silent --force-raw-format --endian=little --sign=signed --channels=2 --bps=16 \
    --sample-rate=44100 -0 -o "$work/long.flac" -
"$cli" -q --rewrite --comment start "$work/long.ogg" "$work/long.flac"
mkdir -p "$work/batch" "$work/seed"
"$fixtures" "$work/seed" --shape long --size "$batch_mb" --count 10 --names "seed %n" >/dev/null
for i in $(seq 1 "$files"); do
  cp "$work/seed/seed $(printf %02d $((i % 10 + 1))).ogg" "$work/batch/$(printf %03d "$i").ogg"
done
"$cli" -q --rewrite --comment start "$work/batch"/*.ogg
# The floor's files: a record's, and a copy of the long file.
head -c 1048576 /dev/zero >"$work/record"
cp "$work/long.ogg" "$work/floor.ogg"
sync

run=0
# Prints the wall time in ms of "$@" (nothing left dirty before it).
timed() {
  sync
  local start=$EPOCHREALTIME
  "$@" >/dev/null
  echo "($EPOCHREALTIME - $start) * 1000 / 1" | bc -l | xargs printf '%.2f'
}
# Another comment of the same length for each run (set in this shell, not in
# a command substitution's).
next() {
  run=$((run + 1))
  text=$(printf 'run %06d' "$run")
}
median() { printf '%s\n' "$@" | sort -n | sed -n "$((($# + 1) / 2))p"; }

declare -A t
for r in $(seq 1 "$runs"); do
  t[floor]+=" $(timed "$floor" "$work/record" "$work/floor.ogg")"
  t[batch-floor]+=" $(timed "$floor" "$work/record" "$work/batch"/*.ogg)"
  for c in "${!clis[@]}"; do
    next
    t[ogg$c]+=" $(timed "${clis[$c]}" -q --comment "$text" "$work/long.ogg")"
    t[flac$c]+=" $(timed "${clis[$c]}" -q --comment "$text" "$work/long.flac")"
    t[batch$c]+=" $(timed "${clis[$c]}" -q --comment "$text" "$work/batch"/*.ogg)"
    # The full rewrites take long: fewer of them.
    if [ "$r" -le 3 ]; then
      next
      t[ogg-rewrite$c]+=" $(timed "${clis[$c]}" -q --rewrite --comment "$text" "$work/long.ogg")"
      t[flac-rewrite$c]+=" $(timed "${clis[$c]}" -q --rewrite --comment "$text" "$work/long.flac")"
      t[batch-rewrite$c]+=" $(timed "${clis[$c]}" -q --rewrite --comment "$text" \
        "$work/batch"/*.ogg)"
    fi
  done
done

ratio() { echo "$1 / $2" | bc -l | xargs printf '%.2f'; }
floor_ms=$(median ${t[floor]})
batch_floor_ms=$(median ${t[batch-floor]})
echo "Edit in place, median of $runs runs (wall ms; the rewrites median of 3)"
printf '  %-44s %9s ms   [%s ]\n' "floor: 2 x (8 KiB write + fdatasync)" "$floor_ms" "${t[floor]}"
printf '  %-44s %9s ms   [%s ]\n' "floor of a batch of $files in place" "$batch_floor_ms" \
  "${t[batch-floor]}"
for c in "${!clis[@]}"; do
  echo "mirale-cli ${clis[$c]}"
  for kind in ogg flac; do
    size=$(($(stat -c %s "$work/long.$kind") / 1048576))
    in_place=$(median ${t[$kind$c]})
    rewrite=$(median ${t[$kind-rewrite$c]})
    printf '  %-44s %9s ms   x%s of the floor   [%s ]\n' "$kind, $size MiB, in place" \
      "$in_place" "$(ratio "$in_place" "$floor_ms")" "${t[$kind$c]}"
    printf '  %-44s %9s ms   x%s of in place   [%s ]\n' "$kind, $size MiB, --rewrite" \
      "$rewrite" "$(ratio "$rewrite" "$in_place")" "${t[$kind-rewrite$c]}"
  done
  in_place=$(median ${t[batch$c]})
  rewrite=$(median ${t[batch-rewrite$c]})
  batch_kb=$(($(stat -c %s "$work/batch/001.ogg") / 1000))
  printf '  %-44s %9s ms   x%s of the batch floor   [%s ]\n' \
    "$files files of $batch_kb KB, in place" "$in_place" "$(ratio "$in_place" "$batch_floor_ms")" \
    "${t[batch$c]}"
  printf '  %-44s %9s ms   x%s of in place, x%s of the batch floor   [%s ]\n' \
    "$files files of $batch_kb KB, --rewrite" "$rewrite" "$(ratio "$rewrite" "$in_place")" \
    "$(ratio "$rewrite" "$batch_floor_ms")" "${t[batch-rewrite$c]}"
done

# The bytes written into the audio files by the first mirale-cli: the edits'
# positional writes.
if command -v strace >/dev/null; then
  next
  strace -f -e trace=pwrite64 -e signal=none -o "$work/trace" \
    "$cli" -q --comment "$text" "$work/batch"/*.ogg
  written=$(grep -o '= [0-9]*$' "$work/trace" | awk '{ s += $2 } END { print s + 0 }')
  echo "  bytes written into the $files audio files in place: $written" \
    "($((written / files)) per file of $(($(stat -c %s "$work/batch/001.ogg") / 1024)) KB)"
fi

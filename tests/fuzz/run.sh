#!/bin/sh
# Runs every fuzz target for a bounded time from its committed seed corpus.
#   tests/fuzz/run.sh BUILD_FOLDER SECONDS_PER_TARGET
# New inputs go to BUILD_FOLDER/corpus/<target> (the committed seeds are only
# read); a finding leaves its input in BUILD_FOLDER/artifacts/ and fails.
set -u
# Absolute paths: each target works in a folder of its own.
build=$(cd "$1" && pwd)
seconds=${2:-60}
seeds=$(cd "$(dirname "$0")" && pwd)/corpus
export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:abort_on_error=0
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
status=0
for target in highscore boardfile playlist savegame catalogue; do
  mkdir -p "$build/corpus/$target" "$build/artifacts"
  log="$build/fuzz_$target.log"
  "$build/fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$build/artifacts/$target-" \
    "$build/corpus/$target" "$seeds/$target" >"$log" 2>&1
  rc=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  corpus=$(ls "$build/corpus/$target" | wc -l)
  if [ "$rc" -eq 0 ]; then
    echo "fuzz $target: ${runs:-?} executions in ${seconds} s (${speed:-?}/s), corpus $corpus, no finding"
  else
    echo "fuzz $target: FAILED (exit $rc) after ${runs:-?} executions; log $log:"
    grep -E 'ERROR|FUZZ CHECK|runtime error|SUMMARY|artifact|Test unit' "$log" | head -20
    status=1
  fi
done
exit $status

#!/usr/bin/env bash
# Builds the fuzz targets (the fuzz preset: clang, libFuzzer, AddressSanitizer
# and UndefinedBehaviorSanitizer) and runs each for SECONDS_PER_TARGET
# seconds, one after the other. Each starts from the committed seed corpus
# plus what earlier runs on this machine found; new inputs go to
# build/fuzz/corpus/, never to fuzz/corpus/. Fails when a target finds a
# crash, a hang, a leak or a disagreement with a model; the input that shows
# it is left in build/fuzz/findings/<target>/.
#
#   fuzz/run.sh                  about a minute in all (the test script's step)
#   fuzz/run.sh 600              the long run: ten minutes per target
#   fuzz/run.sh --keep-going 600 the same, going on past what it finds (in
#                                libFuzzer's fork mode) and failing at the end
set -euo pipefail
cd "$(dirname "$0")/.."

keepGoing=()
if [ "${1:-}" = --keep-going ]; then
  keepGoing=(-fork=1 -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1)
  shift
fi
seconds=${1:-27}
targets=(fuzz_rule_loader fuzz_walk)
declare -A seeds=([fuzz_rule_loader]=rule_loader [fuzz_walk]=walk)
declare -A maxLength=([fuzz_rule_loader]=4096 [fuzz_walk]=16384)

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

status=0
for target in "${targets[@]}"; do
  corpus=build/fuzz/corpus/$target
  findings=build/fuzz/findings/$target
  mkdir -p "$corpus" "$findings"
  # The seeds, and the inputs that once showed a fault (kept apart, so that
  # regenerating the seeds does not lose them).
  for seed in fuzz/corpus/"${seeds[$target]}"/* fuzz/regressions/"${seeds[$target]}"/*; do
    [ -e "$seed" ] || continue
    [ -e "$corpus/${seed##*/}" ] || cp "$seed" "$corpus"/
  done
  foundBefore=$(find "$findings" -type f | wc -l)
  log=build/fuzz/$target.log
  printf '\n=== %s for %s s (log: %s)\n' "$target" "$seconds" "$log"
  # A smaller quarantine and shorter allocation stacks than the defaults:
  # the targets allocate a lot per input, and run several times faster so.
  if ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:quarantine_size_mb=32:malloc_context_size=10 \
    UBSAN_OPTIONS=print_stacktrace=1 \
    build/fuzz/fuzz/"$target" "$corpus" "${keepGoing[@]}" \
    -dict=fuzz/"${seeds[$target]}".dict \
    -max_total_time="$seconds" -max_len="${maxLength[$target]}" \
    -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$findings"/ >"$log" 2>&1; then
    # The last progress line, and the totals that a plain run prints.
    grep -E '^#[0-9]+' "$log" | tail -n 1 || true
    grep -E '^stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb)' "$log" || true
    printf 'corpus: %s inputs\n' "$(find "$corpus" -type f | wc -l)"
  else
    status=1
    tail -n 40 "$log"
  fi
  found=$(($(find "$findings" -type f | wc -l) - foundBefore))
  if [ "$found" -gt 0 ]; then
    status=1
    printf '%s FAILED: %s new input(s) in %s/\n' "$target" "$found" "$findings"
  fi
done
exit $status

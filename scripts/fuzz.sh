#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, ASan + UBSan) into build/fuzz and runs each for
# a bounded time, starting from its committed seeds. Fails on any crash, leak, time-out
# or undefined behaviour, and leaves the input that caused it in build/fuzz/artifacts.
#
#   scripts/fuzz.sh                 every target, KORVEL_FUZZ_SECONDS each (default 20)
#   scripts/fuzz.sh device_id       only the named targets
#   KORVEL_FUZZ_SECONDS=5 ...       shorter runs for local work
#   KORVEL_FUZZ_MERGE=1 ...         afterwards merge what the run found into the seeds
#
# Inputs found by earlier runs are kept in build/fuzz/corpus/<target> and used again.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/lib.sh"
build=${KORVEL_BUILD_DIR:-$root/build}/fuzz
seconds=${KORVEL_FUZZ_SECONDS:-20}
seeds_root=$root/tests/fuzz/corpus

(cd "$root" && cmake --preset fuzz -B "$build" >/dev/null)
korvel_ninja "$build" fuzz_targets

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for f in "$root"/tests/fuzz/*.cpp; do targets+=("$(basename "$f" .cpp)"); done
fi

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:detect_stack_use_after_return=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
mkdir -p "$build/artifacts"
status=0
summary=()
for t in "${targets[@]}"; do
  exe=$build/fuzz_$t
  seeds=$seeds_root/$t
  work=$build/corpus/$t
  [ -x "$exe" ] || { echo "no fuzz target $t"; exit 2; }
  mkdir -p "$work" "$seeds"
  log=$build/$t.log
  printf '%-12s %3d s ... ' "$t" "$seconds"
  if "$exe" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$build/artifacts/$t-" "$work" "$seeds" >"$log" 2>&1; then
    execs=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    corpus=$(grep -o 'corp: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
    echo "ok"
    summary+=("$(printf '%-12s seeds %4d  corpus %5s  %7s exec/s' "$t" "$(ls "$seeds" | wc -l)" "${corpus:-?}" "${execs:-?}")")
  else
    echo "FAILED"
    grep -E 'ERROR|runtime error|check failed|SUMMARY|Test unit written|leak' "$log" | head -20 || true
    echo "  full log: $log"
    status=1
    continue
  fi
  if [ "${KORVEL_FUZZ_MERGE:-0}" = 1 ]; then
    "$exe" -merge=1 "$seeds" "$work" >/dev/null 2>&1
  fi
done
printf '%s\n' "${summary[@]}"
exit $status

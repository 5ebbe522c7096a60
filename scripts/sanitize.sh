#!/usr/bin/env bash
# Builds the host configuration twice more and runs its tests (the unit tests and the
# simulator's scenarios): under AddressSanitizer with UBSan (build/asan; any memory
# error, leak or undefined behaviour fails) and under ThreadSanitizer (build/tsan; any
# data race or lock-order inversion fails).
#
#   scripts/sanitize.sh             both
#   scripts/sanitize.sh address     only ASan + UBSan
#   scripts/sanitize.sh thread      only TSan
# The GoogleTest programs run whole, one process each (a process per test, as ctest
# runs them, would start the sanitizers' runtime some 300 times); the scenarios run
# through ctest. GTEST_FILTER narrows the GoogleTests as usual.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/lib.sh"
out=${KORVEL_BUILD_DIR:-$root/build}
kinds=("$@")
[ ${#kinds[@]} -eq 0 ] && kinds=(address thread)

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1}

for kind in "${kinds[@]}"; do
  filter=${GTEST_FILTER:-*}
  case $kind in
    address) preset=asan dir=$out/asan ;;
    thread)
      preset=tsan dir=$out/tsan
      # Every test but the catalogue's timing test: it starts no thread, and the
      # sanitizer's slowdown would break its time bound.
      [ -z "${GTEST_FILTER:-}" ] && filter=-CatalogueTest.HugeCataloguesAnswerQuicklyByTheSizeRules ;;
    *) echo "unknown sanitizer $kind (address or thread)"; exit 2 ;;
  esac
  (cd "$root" && cmake --preset "$preset" -B "$dir" >/dev/null)
  korvel_ninja "$dir"
  for program in korvel_tests korvel_contract; do
    "$dir/$program" --gtest_filter="$filter" --gtest_brief=1 ||
      { echo "$program under the $kind sanitizer failed"; exit 1; }
  done
  ctest --test-dir "$dir" --output-on-failure -R '^scenario-' ||
    { echo "the scenarios under the $kind sanitizer failed"; exit 1; }
done

#!/usr/bin/env bash
# Builds the host tests twice more and runs them: under AddressSanitizer with UBSan
# (build/asan; any error, leak or undefined behaviour stops the run) and under
# ThreadSanitizer (build/tsan; any data race or lock-order problem fails it).
#
#   scripts/sanitize.sh             both
#   scripts/sanitize.sh address     only ASan + UBSan
#   scripts/sanitize.sh thread      only TSan
# Extra GoogleTest arguments can be given in KORVEL_SANITIZE_GTEST (e.g. a filter).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${KORVEL_BUILD_DIR:-$root/build}
kinds=("$@")
[ ${#kinds[@]} -eq 0 ] && kinds=(address thread)

for kind in "${kinds[@]}"; do
  # Under ThreadSanitizer every test runs but the catalogue's timing test: it has no
  # threads to look at, and the sanitizer's slowdown would break its time bound.
  filter=
  case $kind in
    address) dir=$out/asan ;;
    thread) dir=$out/tsan; filter=--gtest_filter=-CatalogueTest.HugeCataloguesAnswerQuicklyByTheSizeRules ;;
    *) echo "unknown sanitizer $kind (address or thread)"; exit 2 ;;
  esac
  cmake -G Ninja -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=Debug -DKORVEL_SANITIZE="$kind" >/dev/null
  status=0
  ninja -C "$dir" -j2 korvel_tests | grep -v '^\[' || status=${PIPESTATUS[0]}
  [ "$status" -eq 0 ] || { echo "build of $dir failed"; exit 1; }
  # shellcheck disable=SC2086
  ASAN_OPTIONS=detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1 \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
    "$dir/korvel_tests" --gtest_brief=1 $filter ${KORVEL_SANITIZE_GTEST:-} || { echo "host tests under $kind sanitizer failed"; exit 1; }
done

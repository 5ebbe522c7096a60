#!/usr/bin/env bash
# Runs every test: installs what is missing, builds the three configurations, runs
# the host tests (also under the sanitizers), fuzzes the parsers, checks the Windows
# programs and runs the real program under Wine. KORVEL_FUZZ_SECONDS shortens the
# fuzzing (20 s per target by default).
#
#   ./run-tests.sh           everything, as CI runs it
#   ./run-tests.sh --quick   the edit-compile-test loop: the host build and its tests
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
build=${KORVEL_BUILD_DIR:-$root/build}
export KORVEL_BUILD_DIR=$build
if [ "${1:-}" = --quick ]; then
  source "$root/scripts/lib.sh"
  (cd "$root" && cmake --preset host -B "$build/host" >/dev/null)
  korvel_ninja "$build/host"
  exec ctest --test-dir "$build/host" --output-on-failure -LE wine -j"${KORVEL_BUILD_JOBS:-2}"
fi
"$root/scripts/install-deps.sh"

t0=$(date +%s)
tstep=$t0
# Each step's heading, after the time the previous one took.
step() {
  local now
  now=$(date +%s)
  [ "$now" -gt "$tstep" ] && printf '(%d s)\n' $((now - tstep))
  tstep=$now
  printf '\n== %s\n' "$*"
}
step "build: host, win32, win64"
"$root/scripts/build.sh"
step "host tests"
ctest --test-dir "$build/host" --output-on-failure -LE wine
step "host tests under AddressSanitizer + UBSan, and under ThreadSanitizer"
"$root/scripts/sanitize.sh"
step "fuzzing: every parser for ${KORVEL_FUZZ_SECONDS:-20} s"
"$root/scripts/fuzz.sh"
step "Wine: the Windows programs' imports, sizes and manifests, then the real programs (ctest -L wine)"
# tests/tests.cmake lists them: the checks of the binaries, the start and start time,
# planting, the contract tests, the stand-in printer-UI entry, end to end and unattended
# in a 64-bit prefix (the 32-bit program through its hand-over) and in a 32-bit one,
# every command of docs/deployment.md, the main command and the medium checker.
ctest --test-dir "$build/host" -L wine --output-on-failure
step "done"
printf 'all tests passed in %d s\n' $(( $(date +%s) - t0 ))

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
step "Windows programs: imports (system DLLs only, nothing newer than XP), header, manifest, size"
"$root/tests/wine/check-binaries.sh" "$build"
step "Wine: the real program starts and closes"
"$root/tests/wine/smoke.sh" "$build"
step "Wine: time to the first page, against a minimal wizard (a warning only)"
"$root/tests/wine/start-time.sh" "$build"
step "Wine: no planted library or program runs"
"$root/tests/wine/planting.sh" "$build"
step "Wine: contract tests of the platform operations against the real functions"
"$root/tests/wine/contract.sh" "$build"
step "Wine: the stand-in printer-UI entry"
"$root/tests/wine/printui.sh" "$build"
step "Wine: end to end, driven by tools/uidriver (the 32-bit program through its hand-over)"
"$root/tests/wine/e2e.sh" "$build"
step "Wine: the unattended runs (exit codes, spooler, log) from a batch file"
"$root/tests/wine/unattended.sh" "$build"
step "Wine, 32-bit prefix (32-bit Windows): the program that ships by itself, end to end and unattended"
KORVEL_WINE_ARCH=win32 "$root/tests/wine/e2e.sh" "$build"
KORVEL_WINE_ARCH=win32 "$root/tests/wine/unattended.sh" "$build"
step "Wine: every command of docs/deployment.md"
"$root/tests/wine/deployment.sh" "$build"
step "Wine: the main command, setup-and-run.sh --wine, runs the assembled medium"
"$root/tests/wine/main-command.sh" "$build"
step "Wine: the Windows medium checker reports as the Linux one"
"$root/tests/wine/medium-check.sh" "$build"
step "done"
printf 'all tests passed in %d s\n' $(( $(date +%s) - t0 ))

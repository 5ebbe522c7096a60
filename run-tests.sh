#!/usr/bin/env bash
# Runs every test: installs what is missing, builds the three configurations, runs
# the host tests, checks the Windows programs and runs the real program under Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
build=${KORVEL_BUILD_DIR:-$root/build}
export KORVEL_BUILD_DIR=$build
"$root/scripts/install-deps.sh"

step() { printf '\n== %s\n' "$*"; }
t0=$(date +%s)
step "build: host, win32, win64"
"$root/scripts/build.sh"
step "host tests"
ctest --test-dir "$build/host" --output-on-failure
step "Windows programs: imports and manifest"
"$root/tests/wine/check-binaries.sh" "$build"
step "Wine: the real program starts and closes"
"$root/tests/wine/smoke.sh" "$build"
step "Wine: contract tests of the platform operations against the real functions"
"$root/tests/wine/contract.sh" "$build"
step "Wine: the stand-in printer-UI entry"
"$root/tests/wine/printui.sh" "$build"
step "Wine: end to end, driven by tools/uidriver"
"$root/tests/wine/e2e.sh" "$build"
printf '\nall tests passed in %d s\n' $(( $(date +%s) - t0 ))

#!/usr/bin/env bash
# The contract tests of the platform operations, built for x86-64, against the real
# functions under Wine (the same tests run on Linux against the simulated machine as
# part of ctest). Wine's known differences from Windows are listed as they occur.
# The stand-in printer-UI entry (tools/printui) goes into the prefix, so that the
# printer-UI contract runs there as on the simulated machine.
set -euo pipefail
build=${1:?build directory}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/wine-env.sh"
trap korvel_wine_cleanup EXIT
cp "$build/win64/printui.dll" "$WINEPREFIX/drive_c/windows/system32/printui.dll"
WINEDLLOVERRIDES=printui=n "$WINE" "$build/win64/korvel_contract.exe" --gtest_brief=1 2>&1 | tr -d '\r'
exit "${PIPESTATUS[0]}"

#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds everything and runs the wizard on the
# simulated demo PC (the simulator, interactive on a terminal). With --wine it runs
# the real x86-64 program under Wine instead: on the X display if there is one, else
# on a virtual display with a screenshot of the first page in build/welcome.png.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
build=${KORVEL_BUILD_DIR:-$root/build}
export KORVEL_BUILD_DIR=$build
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
echo "The 32-bit program: $build/win32/KorvelSetup.exe ($(stat -c %s "$build/win32/KorvelSetup.exe") bytes)"
if [ "${1:-}" != "--wine" ]; then
  exec "$build/host/korvel-sim"
fi
had_display=${DISPLAY:-}
source "$root/scripts/wine-env.sh"
trap korvel_wine_cleanup EXIT
if [ -n "$had_display" ]; then
  "$WINE" "$build/win64/KorvelSetup64.exe"
else
  "$WINE" "$build/win64/KorvelSetup64.exe" &
  pid=$!
  sleep 4
  import -window root "$build/welcome.png" && echo "Screenshot of the running wizard: $build/welcome.png"
  kill $pid 2>/dev/null || true
fi

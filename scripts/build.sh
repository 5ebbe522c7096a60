#!/usr/bin/env bash
# Builds the three configurations into build/: host (simulated Windows, tests),
# win32 (the shipping i686 program) and win64 (x86-64, for Wine and 64-bit Windows).
# Extra arguments go to the host configuration (for example -DKORVEL_SANITIZE=address);
# KORVEL_BUILD_JOBS limits the parallel jobs of each build.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/lib.sh"
out=${KORVEL_BUILD_DIR:-$root/build}
# The configurations are CMakePresets.json's; -B puts them under KORVEL_BUILD_DIR.
cd "$root"
cmake --preset host -B "$out/host" "$@" >/dev/null
# The 32-bit setup medium carries the x86-64 program too: win64 is built first.
cmake --preset win32 -B "$out/win32" -DKORVEL_SIBLING_EXE="$out/win64/KorvelSetup64.exe" >/dev/null
cmake --preset win64 -B "$out/win64" >/dev/null
for c in host win64 win32; do
  korvel_ninja "$out/$c"
done

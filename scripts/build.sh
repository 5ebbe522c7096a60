#!/usr/bin/env bash
# Builds the three configurations into build/: host (simulated Windows, tests),
# win32 (the shipping i686 program) and win64 (x86-64, for Wine and 64-bit Windows).
# Extra arguments go to the host configuration (for example -DKORVEL_SANITIZE=address);
# KORVEL_BUILD_JOBS limits the parallel jobs of each build.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${KORVEL_BUILD_DIR:-$root/build}
cmake -G Ninja -S "$root" -B "$out/host" -DCMAKE_BUILD_TYPE=Debug "$@" >/dev/null
# The 32-bit setup medium carries the x86-64 program too: win64 is built first.
cmake -G Ninja -S "$root" -B "$out/win32" -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
      -DKORVEL_SIBLING_EXE="$out/win64/KorvelSetup64.exe" >/dev/null
cmake -G Ninja -S "$root" -B "$out/win64" -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" >/dev/null
for c in host win64 win32; do
  # Under pipefail a failing ninja fails the pipeline; its own status is read there
  # (grep finding nothing to print is no failure).
  status=0
  ninja -C "$out/$c" ${KORVEL_BUILD_JOBS:+-j$KORVEL_BUILD_JOBS} | grep -v '^\[' || status=${PIPESTATUS[0]}
  [ "$status" -eq 0 ] || { echo "build of $c failed"; exit 1; }
done

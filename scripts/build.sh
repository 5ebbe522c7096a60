#!/usr/bin/env bash
# Builds the three configurations into build/: host (simulated Windows, tests),
# win32 (the shipping i686 program) and win64 (x86-64, for Wine and 64-bit Windows).
# Extra arguments go to the host configuration (for example -DKORVEL_SANITIZE=address).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${KORVEL_BUILD_DIR:-$root/build}
cmake -G Ninja -S "$root" -B "$out/host" -DCMAKE_BUILD_TYPE=Debug "$@" >/dev/null
cmake -G Ninja -S "$root" -B "$out/win32" -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
cmake -G Ninja -S "$root" -B "$out/win64" -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" >/dev/null
for c in host win32 win64; do
  # Under pipefail a failing ninja fails the pipeline; its own status is read there
  # (grep finding nothing to print is no failure).
  status=0
  ninja -C "$out/$c" | grep -v '^\[' || status=${PIPESTATUS[0]}
  [ "$status" -eq 0 ] || { echo "build of $c failed"; exit 1; }
done

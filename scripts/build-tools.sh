#!/usr/bin/env bash
# The quick road for people who prepare a setup medium: installs what the Linux
# build needs and builds only the Linux tools, the simulator (korvel-sim) and the
# medium checker (korvel-medium-check), in build/host. No Windows build, no tests.
# KORVEL_BUILD_JOBS limits the parallel jobs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${KORVEL_BUILD_DIR:-$root/build}
"$root/scripts/install-deps.sh" --tools
cmake -G Ninja -S "$root" -B "$out/host" -DCMAKE_BUILD_TYPE=Debug >/dev/null
status=0
ninja -C "$out/host" ${KORVEL_BUILD_JOBS:+-j$KORVEL_BUILD_JOBS} korvel-sim korvel-medium-check | grep -v '^\[' ||
  status=${PIPESTATUS[0]}
[ "$status" -eq 0 ] || { echo "build of the tools failed"; exit 1; }
echo "The simulator:      $out/host/korvel-sim"
echo "The medium checker: $out/host/korvel-medium-check"

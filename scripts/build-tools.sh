#!/usr/bin/env bash
# The quick road for people who prepare a setup medium: installs what the Linux
# build needs and builds only the Linux tools, the simulator (korvel-sim) and the
# medium checker (korvel-medium-check), in build/host. No Windows build, no tests.
# KORVEL_BUILD_JOBS limits the parallel jobs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/lib.sh"
out=${KORVEL_BUILD_DIR:-$root/build}
"$root/scripts/install-deps.sh" --tools
(cd "$root" && cmake --preset host -B "$out/host" >/dev/null)
korvel_ninja "$out/host" korvel-sim korvel-medium-check
echo "The simulator:      $out/host/korvel-sim"
echo "The medium checker: $out/host/korvel-medium-check"

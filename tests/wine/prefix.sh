#!/usr/bin/env bash
# Sourced by the Wine tests that run in a fresh prefix of their own: the build folder,
# their first argument, as $build; $here and $root; the prefix and display of
# scripts/wine-env.sh, cleaned up when the test ends, with Wine's windows unmanaged.
build=$(cd "${1:?build directory}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
source "$root/scripts/wine-env.sh"
trap korvel_wine_cleanup EXIT
korvel_wine_unmanaged

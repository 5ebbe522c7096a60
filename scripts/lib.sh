#!/usr/bin/env bash
# Sourced by the build scripts.

# korvel_ninja DIR [TARGET...]: builds DIR quietly (ninja's progress lines dropped,
# warnings and errors kept) with KORVEL_BUILD_JOBS parallel jobs (2 by default: these
# machines have two cores); on failure says which build failed and exits.
korvel_ninja() {
  local dir=$1 status=0
  shift
  # Under pipefail a failing ninja fails the pipeline; its own status is read there
  # (grep finding nothing to print is no failure).
  ninja -C "$dir" -j"${KORVEL_BUILD_JOBS:-2}" "$@" | grep -v '^\[' || status=${PIPESTATUS[0]}
  [ "$status" -eq 0 ] || { echo "build of $dir failed"; exit 1; }
}

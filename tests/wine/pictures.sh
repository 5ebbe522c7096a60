#!/usr/bin/env bash
# Refreshes the pictures under docs/pictures/ from an end-to-end run of the finished
# wizard: each page, the success box and the failure box.
set -euo pipefail
build=$(cd "${1:?build directory}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
shots=$(mktemp -d /tmp/korvel-pictures.XXXXXX)
trap 'rm -rf "$shots"' EXIT
KORVEL_SHOTS=$shots "$here/e2e.sh" "$build" no-usb wine-printui
out=$root/docs/pictures
mkdir -p "$out"
pick() {  # pick SCENARIO PATTERN first|last NAME
  local f
  f=$(ls "$shots/$1"/$2 2>/dev/null | sort | { if [ "$3" = first ]; then head -n1; else tail -n1; fi; })
  [ -n "$f" ] || { echo "no picture $2 in $1"; exit 1; }
  cp "$f" "$out/$4.png"
  echo "docs/pictures/$4.png"
}
pick no-usb '*-page1.png' first 1-welcome
pick no-usb '*-page2.png' last 2-series-and-model
pick no-usb '*-page3.png' first 3-port
pick no-usb '*-page4.png' first 4-finish
pick no-usb '*-box.png' first 5-installed
pick wine-printui '*-box.png' first 6-failed

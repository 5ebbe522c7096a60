#!/usr/bin/env bash
# The program that ships under Wine, from its medium (in a 64-bit prefix the 32-bit
# KorvelSetup.exe hands over to its x86-64 sibling; scripts/wine-env.sh): the welcome
# page shows within 30 s, its picture is not blank, and Escape ends the process with
# no window left.
set -euo pipefail
build=${1:?build directory}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/wine-env.sh"
trap korvel_wine_cleanup EXIT
korvel_shipping_medium "$build"
shots=${KORVEL_SHOTS:-$(mktemp -d)}
start=$(date +%s.%N)
"$WINE" "$KORVEL_MEDIUM/$KORVEL_PROGRAM" &
pid=$!
win=""
for i in $(seq 1 300); do
  win=$(xdotool search --name "Korvel打印机驱动安装步骤1" 2>/dev/null | head -n1 || true)
  [ -n "$win" ] && break
  sleep 0.1
done
[ -n "$win" ] || { echo "FAIL: the welcome page did not show within 30 s"; kill $pid; exit 1; }
shown=$(date +%s.%N)
awk -v a="$start" -v b="$shown" 'BEGIN { printf "welcome page after %.1f s\n", b - a }'
sleep 1
import -window root "$shots/smoke-welcome.png"
colours=$(convert "$shots/smoke-welcome.png" -format %k info:)
[ "$colours" -gt 16 ] || { echo "FAIL: screenshot is blank ($colours colours)"; exit 1; }
xdotool windowactivate --sync "$win" 2>/dev/null || true
xdotool key --window "$win" Escape
for i in $(seq 1 100); do
  kill -0 $pid 2>/dev/null || break
  sleep 0.1
done
if kill -0 $pid 2>/dev/null; then echo "FAIL: Escape did not end the program"; kill $pid; exit 1; fi
left=$(xdotool search --name "Korvel" 2>/dev/null || true)
[ -z "$left" ] || { echo "FAIL: a window is left: $left"; exit 1; }
echo "smoke: PASS ($KORVEL_PROGRAM; $colours colours in the screenshot)"

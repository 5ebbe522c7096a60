#!/usr/bin/env bash
# The main command's Wine road, as a newcomer runs it with no X display:
# `setup-and-run.sh --wine` must run the setup medium the build assembled, so that
# the series and model page lists the medium's series (exactly those of its
# catalogue, in order) and models, and leave a screenshot of that page trimmed to
# the window.
set -euo pipefail
build=$(cd "${1:?build directory}" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
out=$(mktemp)
trap 'rm -f "$out"' EXIT
picture=$build/series-and-model.png
rm -f "$picture"

rc=0
env -u DISPLAY -u WINEPREFIX -u KORVEL_XVFB_PID -u KORVEL_WINE_DISPLAY KORVEL_BUILD_DIR="$build" \
  "$root/setup-and-run.sh" --wine > "$out" 2>&1 || rc=$?
fail() { echo "FAIL: $*"; echo "--- output of setup-and-run.sh --wine:"; cat "$out"; exit 1; }
[ $rc -eq 0 ] || fail "setup-and-run.sh --wine ended with $rc"

# The series as the catalogue lists them: the lines of [PRINTER_SERIES], without
# blanks around them, comments and empty lines.
catalogue=$build/win64/medium/PrinterInfor.Inf
expected=$(tr -d '\r' < "$catalogue" | awk '
  /^[ \t]*\[/ { inside = tolower($0) ~ /^[ \t]*\[[ \t]*printer_series[ \t]*\]/; next }
  inside && !/^[ \t]*(;|$)/ { gsub(/^[ \t]+|[ \t]+$/, ""); printf "%s\"%s\"", (n++ ? ", " : ""), $0 }')
[ -n "$expected" ] || fail "no series in $catalogue"
page2=$(awk '/^page 2 /, /buttons:/' "$out")
[ -n "$page2" ] || fail "the transcript shows no page 2"
series=$(printf '%s\n' "$page2" | sed -n 's/^  1018 combo \[\(.*\)\]$/\1/p' | sed 's/\(^\|, \)\*"/\1"/')
[ "$series" = "$expected" ] || fail "page 2 lists the series [$series], the catalogue [$expected]"
printf '%s\n' "$page2" | grep -q '^  1010 list \[\*"' || fail "page 2 lists no model"

[ -f "$picture" ] || fail "no screenshot $picture"
read -r width height colours < <(convert "$picture" -format '%w %h %k\n' info:)
[ "$width" -lt 1024 ] && [ "$height" -lt 768 ] || fail "the screenshot is ${width}x$height: not trimmed to the window"
[ "$width" -gt 300 ] && [ "$height" -gt 200 ] || fail "the screenshot is ${width}x$height: too small for the page"
[ "$colours" -gt 16 ] || fail "the screenshot is blank ($colours colours)"
echo "main command: PASS (page 2 lists $series; screenshot ${width}x$height, $colours colours)"

#!/usr/bin/env bash
# The Windows medium checker under Wine, on Wine's own profile functions, reports the
# same lines and exit status as the Linux checker on the simulated machine: for the
# demo medium and for a copy of it broken in the ways the checker reports.
set -euo pipefail
build=${1:?build directory}
root=$(cd "$(dirname "$0")/../.." && pwd)
export WINEDEBUG=-all
WINEPREFIX=$(mktemp -d /tmp/korvel-wine.XXXXXX)
export WINEPREFIX
work=$(mktemp -d)
trap '/usr/lib/wine/wineserver -k >/dev/null 2>&1 || true; rm -rf "$WINEPREFIX" "$work"' EXIT

cp -r "$root/medium" "$work/demo"
cp -r "$root/medium" "$work/broken"
python3 - "$work/broken" <<'PY'
import sys
m = sys.argv[1]
def edit(path, *pairs):
    p = f"{m}/{path}"
    s = open(p, encoding="ascii").read()
    for old, new in pairs:
        assert old in s, old
        s = s.replace(old, new)
    open(p, "w", encoding="ascii", newline="").write(s)
edit("PrinterInfor.Inf",
     ("KM Series\n", "KM Series\nKZ Series\n"),                       # series without a section
     ("KN-935=Korvel KN-935 9-Pin Printer\n", ""),                   # model without a name
     ("Compact Printer=9\n", "Compact Printer=09\n"),                # type neither 24 nor 9
     ("KX-2490\n", '"KX-2490 "\n'),                                   # quotation marks kept
     ("KX-2410=Korvel KX-2410", 'KX-2410=Korvel "KX-2410"'))         # quotation mark in a name
edit("PrinterDriver/24pin/OEMPRINT.INF",
     ('"KORVEL KX-2400 Dot', '"Korvel KX-2400 Dot'),                  # maker not in upper case
     (",USBPRINT\\KORVELKX-248033CA,", ",,"),                         # no USB, no ID
     (",USBPRINT\\KORVELKX-24504596,", ",,USB"))                      # empty hardware ID
PY

fail=0
for medium in demo broken; do
  linux_status=0
  linux=$("$build/host/korvel-medium-check" "$work/$medium" 2>/dev/null) || linux_status=$?
  windows_status=0
  windows=$(/usr/lib/wine/wine64 "$build/win64/korvel-medium-check.exe" "$work/$medium" 2>/dev/null) || windows_status=$?
  windows=$(printf '%s' "$windows" | tr -d '\r' | tr '\\' '/')
  if [ "$linux" != "$windows" ] || [ "$linux_status" != "$windows_status" ]; then
    echo "FAIL: $medium: Linux (exit $linux_status) and Windows (exit $windows_status) checkers differ"
    diff <(printf '%s\n' "$linux") <(printf '%s\n' "$windows") || true
    fail=1
  else
    echo "$medium medium: $(printf '%s\n' "$linux" | grep -c . || true) findings, exit $linux_status, the same on both"
  fi
done
exit $fail

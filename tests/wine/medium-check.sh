#!/usr/bin/env bash
# The Windows medium checker under Wine, on Wine's own profile functions, reports the
# same lines and exit status as the Linux checker on the simulated machine: for the
# demo medium and for a copy of it broken in the ways the checker reports (its Python
# part writes LF line ends, which both read as CR LF). medium/README.md's example lines must
# be lines the checker prints for that broken copy.
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
    for old, new, *count in pairs:
        assert old in s, old
        if count == ["last"]:                                          # the last occurrence only
            head, _, tail = s.rpartition(old)
            s = head + new + tail
        else:
            s = s.replace(old, new, *count)
    open(p, "w", encoding="ascii", newline="").write(s)
edit("PrinterInfor.Inf",
     ("KM Series\n", "KM Series\nKZ Series\n"),                       # series without a section
     ("KN-935=Korvel", "KN-93S=Korvel"),                              # model without a name, a near miss
     ("KM-915 Compact Printer=9\n", "KM-915 Compact Printer=09\n"),  # type neither 24 nor 9
     ("KN-920 9-Pin Printer=9\n", "KN-920 9-Pin Printer=24\n"),      # the other tree's type
     ("KX-2490\n", '"KX-2490 "\n'),                                   # quotation marks kept
     ("KX-2410=Korvel KX-2410", 'KX-2410=Korvel "KX-2410"'),         # quotation mark in a name
     ("[PRINTER_NAME]", "[KZ Serie]\nKZ-1\n\n[PRINTER_NAME]"))       # the series' section misspelled
edit("PrinterDriver/24pin/OEMPRINT.INF",
     ('"KORVEL KX-2400 Dot', '"Korvel KX-2400 Dot'),                  # maker not in upper case
     (",USBPRINT\\KORVELKX-2480C914,", ",,"),                         # no USB, no ID
     (",USBPRINT\\KORVELKX-24505910,", ",,USB"))                      # empty hardware ID
edit("PrinterDriver/9pin/OEMPRINT.INF",
     (",USBPRINT\\KORVELKN-9504214,", ", USBPRINT\\KORVELKN-9504214,", 1),  # a blank the wizard passes on
     ("KORVELKN-9207216,", "KORVELKN-9027216,"),                      # another model's ID
     ("= KM905,", "= KM9O5,", 1),                                     # no such install section
     ('"KORVEL KM-905 Compact Printer" = KM905,USBPRINT\\KORVELKM-9051193,KORVEL_KM-9051193\n', "", "last"))
PY
rm "$work/broken/PrinterDriver/9pin/KORVEL9.GPD"                      # a file the driver copies

fail=0
for medium in demo broken; do
  linux_status=0
  linux=$("$build/host/korvel-medium-check" "$work/$medium" 2>/dev/null) || linux_status=$?
  windows_status=0
  windows=$(/usr/lib/wine/wine64 "$build/win64/korvel-medium-check.exe" "$work/$medium" 2>/dev/null) || windows_status=$?
  # The Windows checker writes the paths below the medium folder (PrinterDriver\...)
  # with backslashes; other backslashes (in hardware IDs) are the same on both.
  windows=$(printf '%s' "$windows" | tr -d '\r' | perl -pe 's{(PrinterDriver\\[^\s)]*)}{($p = $1) =~ tr#\\#/#; $p}ge')
  if [ "$linux" != "$windows" ] || [ "$linux_status" != "$windows_status" ]; then
    echo "FAIL: $medium: Linux (exit $linux_status) and Windows (exit $windows_status) checkers differ"
    diff <(printf '%s\n' "$linux") <(printf '%s\n' "$windows") || true
    fail=1
  else
    echo "$medium medium: $(printf '%s\n' "$linux" | grep -c . || true) findings, exit $linux_status, the same on both"
  fi
done
# medium/README.md's example output, word for word.
linux=$("$build/host/korvel-medium-check" "$work/broken" 2>/dev/null || true)
examples=0
while IFS= read -r line; do
  examples=$((examples + 1))
  if ! grep -qxF -- "$line" <<<"$linux"; then
    echo "FAIL: medium/README.md shows a line the checker does not print for the broken medium:"
    echo "  $line"
    fail=1
  fi
done < <(grep -E '^(PrinterInfor\.Inf|PrinterDriver/)[^ ]*: (error|warning): ' "$root/medium/README.md")
[ "$examples" -gt 0 ] || { echo "FAIL: medium/README.md shows no example output"; fail=1; }
echo "medium/README.md example: $examples lines, each printed by the checker"
exit $fail

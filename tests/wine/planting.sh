#!/usr/bin/env bash
# No planted library or program runs: copies of newdev.dll, winspool.drv, uxtheme.dll,
# apphelp.dll and rundll32.exe that leave markers (tests/wine/planting) lie beside the
# x86-64 program
# on its medium, Wine is told to prefer such native copies as Windows does for DLLs
# that are not KnownDLLs, and tools/uidriver drives a whole installation (the no-usb
# scenario, checked against its expectations as in e2e.sh). No marker may appear.
# In the same prefix the library-search probe must trip the plants when it loads
# newdev.dll the ordinary way (so the test can fail), and must not after either of
# the program's two ways of restricting the search.
#
#   tests/wine/planting.sh BUILD
set -euo pipefail
source "$(dirname "$0")/prefix.sh"

c=$WINEPREFIX/drive_c
medium=$c/KorvelSetup
out=${KORVEL_SHOTS:-$build/planting}
rm -rf "$medium" "$out"
mkdir -p "$medium" "$out"
cp -r "$build/win64/medium"/. "$medium/"
cp "$build/win64/planted/newdev.dll" "$build/win64/planted/winspool.drv" "$build/win64/planted/uxtheme.dll" \
   "$build/win64/planted/apphelp.dll" "$build/win64/planted/rundll32.exe" "$medium/"
cp "$build/win64/search_probe.exe" "$medium/"
cp "$build/win64/printui.dll" "$c/windows/system32/printui.dll"
export KORVEL_PLANT_MARKERS='C:\korvel-planted'
markers=$c/korvel-planted
export WINEDLLOVERRIDES='newdev,winspool.drv=n,b;printui=n'
winepath_w() { printf 'Z:%s' "${1//\//\\}"; }
spoolstate() { "$WINE" "$build/win64/spoolstate.exe" "$@" | tr -d '\r'; }
fail=0
# Prints the markers left so far and clears them; false when there were none.
tripped() {
  local found=1
  for m in "$markers"/*.marker; do
    [ -e "$m" ] || continue
    found=0
    tr -d '\r' < "$m" | sed 's/^/  /'
  done
  rm -rf "$markers"
  return $found
}

echo "== a whole installation from a medium with planted files"
spoolstate clear >/dev/null
export KORVEL_PRINTUI_LOG='C:\korvel-printui.log'
rm -f "$c/korvel-printui.log" "$markers"/*.marker
rc=0
timeout 300 "$WINE" "$build/win64/uidriver.exe" --timeout 60000 --kill --shots "$(winepath_w "$out")" \
    --cwd 'C:\KorvelSetup' -- 'C:\KorvelSetup\KorvelSetup64.exe' \
    < "$here/scripts/no-usb.script" > "$out/transcript.txt" 2> "$out/uidriver.err" || rc=$?
cat "$out/uidriver.err"
[ $rc -eq 0 ] || { echo "FAIL: uidriver ended with $rc"; fail=1; }
diff -u "$here/expected/no-usb.transcript" "$out/transcript.txt" || { echo "FAIL: the transcript differs"; fail=1; }
diff -u "$here/expected/no-usb.spooler" <(spoolstate | sort) || { echo "FAIL: the spooler differs"; fail=1; }
# The stand-in printer-UI entry ran, so the system's rundll32 ran it.
diff -u "$here/expected/no-usb.printui" "$c/korvel-printui.log" || { echo "FAIL: the printer-UI commands differ"; fail=1; }
if tripped; then
  echo "FAIL: the program loaded or started a planted file"; fail=1
else
  echo "no marker: nothing planted was loaded or started"
fi
for f in "$out"/*.bmp; do [ -e "$f" ] && convert "$f" "${f%.bmp}.png" && rm -f "$f"; done

echo "== the library-search probe, in the same prefix and folder"
# Here uxtheme.dll and apphelp.dll too prefer a native copy: the probe only loads them
# (the system folder's are Wine's stubs, which a program that calls them cannot use).
probe() {
  WINEDLLOVERRIDES='newdev,winspool.drv,uxtheme,apphelp=n,b' "$WINE" 'C:\KorvelSetup\search_probe.exe' "$@" 2>/dev/null |
    tr -d '\r' | sed 's/^/  /'
}
for mode in restricted restricted-xp; do
  echo "search_probe $mode:"
  probe "$mode"
  if tripped; then echo "FAIL: $mode let a planted library load"; fail=1; fi
done
echo "search_probe plain:"
probe plain
plain=$(tripped || true)
printf '%s\n' "$plain"
# The test must be able to fail: loaded the ordinary way, the planted newdev.dll runs.
for dll in newdev.dll uxtheme.dll; do
  if ! grep -q "$dll loaded by" <<< "$plain"; then
    echo "FAIL: the plain probe did not trip the planted $dll: this test could not fail"; fail=1
  fi
done
[ $fail -eq 0 ] && echo "planting: PASS" || echo "planting: FAILED"
exit $fail

#!/usr/bin/env bash
# Both Windows programs import only system DLLs and carry the manifest.
set -euo pipefail
build=${1:?build directory}
allowed='^(kernel32\.dll|user32\.dll|comctl32\.dll|msvcrt\.dll|advapi32\.dll|shell32\.dll|setupapi\.dll|cfgmgr32\.dll|newdev\.dll|winspool\.drv|gdi32\.dll)$'
fail=0
for exe in "$build/win32/KorvelSetup.exe" "$build/win64/KorvelSetup64.exe"; do
  imports=$(x86_64-w64-mingw32-objdump -p "$exe" | awk '/DLL Name:/ {print tolower($3)}')
  for dll in $imports; do
    if ! [[ $dll =~ $allowed ]]; then echo "FAIL $exe imports $dll"; fail=1; fi
  done
  for needle in 'level="highestAvailable"' 'uiAccess="false"' 'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"'; do
    grep -q -a -F "$needle" "$exe" || { echo "FAIL $exe: manifest lacks $needle"; fail=1; }
  done
  echo "$exe: $(stat -c %s "$exe") bytes; imports: $(echo $imports | tr '\n' ' ')"
done
grep -q -a -F 'processorArchitecture="x86"' "$build/win32/KorvelSetup.exe" || { echo "FAIL: 32-bit manifest is not for x86"; fail=1; }
grep -q -a -F 'processorArchitecture="amd64"' "$build/win64/KorvelSetup64.exe" || { echo "FAIL: 64-bit manifest is not for amd64"; fail=1; }
# The 32-bit medium carries the x86-64 program, for 64-bit Windows.
cmp -s "$build/win32/medium/KorvelSetup64.exe" "$build/win64/KorvelSetup64.exe" \
  || { echo "FAIL: the 32-bit medium lacks the x86-64 KorvelSetup64.exe"; fail=1; }
exit $fail

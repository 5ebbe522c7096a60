#!/usr/bin/env bash
# The Windows programs as shipped: they import only DLLs that Windows always takes
# from the system folder, and only functions their oldest Windows exports (the list
# tests/wine/windows-imports.txt); their PE header lets XP load them; they carry the
# manifest; and they stay lean (file size less the .rsrc section).
set -euo pipefail
build=${1:?build directory}
here=$(cd "$(dirname "$0")" && pwd)
list="$here/windows-imports.txt"
# KnownDLLs on every Windows from XP to 11 (msvcrt.dll as an import of listed ones on XP
# and Vista), and comctl32.dll, bound to the system's copy by the manifest. Every other
# library is loaded at run time by full path (docs/windows-build.md).
allowed='^(kernel32\.dll|user32\.dll|gdi32\.dll|advapi32\.dll|shell32\.dll|msvcrt\.dll|comctl32\.dll)$'
# The program less its .rsrc section (the side picture is 213 KB by itself), in bytes:
# the shipping 32-bit program stays within 120 KB; the x86-64 sibling carries the unwind
# tables (.pdata, .xdata) that Windows needs to walk its stack and the i686 build drops,
# about 11 KB, and has 8 KB more.
max_rest_of() { case "$1" in *64.exe) echo $((128 * 1024)) ;; *) echo $((120 * 1024)) ;; esac; }
fail=0
objdump=x86_64-w64-mingw32-objdump

# "dll function" for every function a PE file imports.
imports_of() {
  "$objdump" -p "$1" | awk '
    /DLL Name:/ { dll = tolower($3); next }
    /^\t[0-9a-f]+\t +[0-9]+  / && dll != "" { print dll, $3 }'
}
# Whether version $1 (major.minor[.sp]) is newer than $2.
newer() { [ "$1" != "$2" ] && [ "$(printf '%s\n%s\n' "$1" "$2" | sort -V | tail -n1)" = "$1" ]; }

seen=$(mktemp)
trap 'rm -f "$seen"' EXIT
for exe in "$build/win32/KorvelSetup.exe" "$build/win64/KorvelSetup64.exe"; do
  case $exe in
    */win32/*) oldest=5.1.3 oldest_name="Windows XP SP3" subsystem="5 1" ;;
    *) oldest=5.2.2 oldest_name="Windows XP x64 / Server 2003 SP2" subsystem="5 2" ;;
  esac
  name=$(basename "$exe")
  dlls=$(imports_of "$exe" | awk '{ print $1 }' | sort -u)
  for dll in $dlls; do
    [[ $dll =~ $allowed ]] || { echo "FAIL $name imports $dll, which Windows may take from the program's folder"; fail=1; }
  done
  count=0
  while read -r dll fn; do
    count=$((count + 1))
    echo "$dll $fn" >> "$seen"
    version=$(awk -v d="$dll" -v f="$fn" '$1 == d && $2 == f { print $3 }' "$list")
    if [ -z "$version" ]; then
      echo "FAIL $name imports $dll $fn, which $list does not list"; fail=1
    elif newer "$version" "$oldest"; then
      echo "FAIL $name imports $dll $fn ($version), newer than $oldest_name ($oldest)"; fail=1
    fi
  done < <(imports_of "$exe")

  read -r major minor < <("$objdump" -p "$exe" | awk '/MajorSubsystemVersion/ { a = $2 } /MinorSubsystemVersion/ { b = $2 } END { print a, b }')
  if [ "$major $minor" != "$subsystem" ]; then
    echo "FAIL $name: subsystem version $major.$minor, XP needs ${subsystem/ /.}"; fail=1
  fi

  for needle in 'level="highestAvailable"' 'uiAccess="false"' \
      'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"' \
      '<supportedOS Id="{e2011457-1546-43c5-a5fe-008deee3d3f0}"/>' \
      '<supportedOS Id="{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"/>' \
      '<supportedOS Id="{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}"/>' \
      '<supportedOS Id="{1f676c76-80e1-4239-95bb-83d0f6d0da78}"/>' \
      '<supportedOS Id="{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"/>'; do
    grep -q -a -F "$needle" "$exe" || { echo "FAIL $name: manifest lacks $needle"; fail=1; }
  done

  size=$(stat -c %s "$exe")
  rsrc=$("$objdump" -h "$exe" | awk '$2 == ".rsrc" { print $3 }')
  rest=$((size - 16#${rsrc:-0}))
  max_rest=$(max_rest_of "$exe")
  [ "$rest" -le "$max_rest" ] || { echo "FAIL $name: $rest bytes less .rsrc, more than $max_rest"; fail=1; }
  echo "$name: $size bytes, $rest less .rsrc (at most $max_rest); subsystem $major.$minor;" \
       "$count functions from $(echo $dlls | tr '\n' ' ')"
done
# Lines no program imports any more only need tidying.
while read -r dll fn _; do
  grep -q -x -F "$dll $fn" "$seen" || echo "note: $list lists $dll $fn, which neither program imports"
done < <(grep -v '^#' "$list" | grep .)

grep -q -a -F 'processorArchitecture="x86"' "$build/win32/KorvelSetup.exe" || { echo "FAIL: 32-bit manifest is not for x86"; fail=1; }
grep -q -a -F 'processorArchitecture="amd64"' "$build/win64/KorvelSetup64.exe" || { echo "FAIL: 64-bit manifest is not for amd64"; fail=1; }
# The 32-bit medium carries the x86-64 program, for 64-bit Windows.
cmp -s "$build/win32/medium/KorvelSetup64.exe" "$build/win64/KorvelSetup64.exe" \
  || { echo "FAIL: the 32-bit medium lacks the x86-64 KorvelSetup64.exe"; fail=1; }
exit $fail

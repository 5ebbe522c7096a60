#!/usr/bin/env bash
# The program that ships, the 32-bit KorvelSetup.exe, in a 64-bit prefix, where it
# hands over to the KorvelSetup64.exe beside it: started from a batch file as
# deployment tools start it, its standard output reaches a file (/list > file), a
# quiet installation ends with the sibling's exit code and leaves the sibling's log
# and the printer, and a bad switch ends with 1639 and its message on standard error.
#
#   tests/wine/handover.sh BUILD
#
# Where the kernel runs 32-bit x86 programs, this runs as the other Wine tests do
# (which then run KorvelSetup.exe throughout). Where it does not (IA32 emulation off),
# Wine's 32-bit loader runs under qemu-user's i386 emulation, registered with
# binfmt_misc for this test only: the code that runs is still the shipping program's,
# but each 32-bit process takes the best part of a minute to start, so only this seam
# is tested that way. Without qemu-user or a writable binfmt_misc the test is skipped,
# and says why.
set -euo pipefail
build=$(cd "${1:?build directory}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)

binfmt=/proc/sys/fs/binfmt_misc
emulated=""
if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
  [ -x /usr/lib/wine/wine ] || { echo "SKIP: no wine32:i386 (scripts/install-deps.sh)"; exit 77; }
  [ -x /usr/bin/qemu-i386 ] || { echo "SKIP: the kernel runs no 32-bit program and qemu-user is missing"; exit 77; }
  [ -w "$binfmt/register" ] || { echo "SKIP: the kernel runs no 32-bit program and $binfmt cannot be written"; exit 77; }
  [ -e "$binfmt/korvel-i386" ] && echo -1 > "$binfmt/korvel-i386"
  # i386 ELF executables, as qemu's own binfmt entry for them reads.
  printf '%s' ':korvel-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386:' \
    > "$binfmt/register"
  emulated=yes
  echo "NOTE: the kernel runs no 32-bit program: Wine's 32-bit loader runs under qemu-user's i386 emulation"
fi
source "$root/scripts/wine-env.sh"
cleanup() {
  korvel_wine_cleanup
  [ -n "$emulated" ] && [ -e "$binfmt/korvel-i386" ] && echo -1 > "$binfmt/korvel-i386"
  return 0
}
trap cleanup EXIT
korvel_wine_unmanaged
c=$WINEPREFIX/drive_c
rm -rf "$c/KorvelSetup"
mkdir -p "$c/KorvelSetup"
cp -r "$build/win32/medium"/. "$c/KorvelSetup/"
cp "$build/win64/printui.dll" "$c/windows/system32/printui.dll"
spoolstate() { "$WINE" "$build/win64/spoolstate.exe" "$@" | tr -d '\r'; }
fail=0
ok() { echo "ok   $*"; }
bad() { echo "FAIL $*"; fail=1; }

# The three runs from one batch file, so that cmd starts once.
printf '%s\r\n' '@echo off' 'cd /d C:\KorvelSetup' \
  'KorvelSetup.exe /list > C:\list.txt 2> C:\list-err.txt' 'echo list=%ERRORLEVEL%' \
  'KorvelSetup.exe /quiet /model KX-2410 /port LPT1: /log C:\install.log > C:\install-out.txt 2>&1' \
  'echo install=%ERRORLEVEL%' \
  'KorvelSetup.exe /quiet /modle KX-2410 /log C:\bad.log 2> C:\bad-err.txt' 'echo bad=%ERRORLEVEL%' > "$c/run.bat"
t0=$(date +%s)
output=$(WINEDLLOVERRIDES=printui=n timeout 1500 "$WINE" cmd /c 'C:\run.bat' 2>/dev/null | tr -d '\r' || true)
echo "the three runs took $(($(date +%s) - t0)) s${emulated:+ (emulated)}"
code() { sed -n "s/^$1=//p" <<<"$output"; }
text() { tr -d '\r' < "$c/$1" 2>/dev/null || true; }

# /list through the hand-over: the sibling writes into the caller's redirected output.
lines=$(text list.txt | wc -l)
models=$(text list.txt | tail -n +2 | grep -c $'\t' || true)
[ "$(code list)" = 0 ] && [ "$lines" -gt 1 ] && [ "$(text list.txt | head -1)" = $'series\tmodel\tprinter name\ttype' ] &&
  ok "/list > file: exit code 0, the heading and $models models in the file" ||
  bad "/list > file: exit code $(code list), $lines lines in the file"

# A quiet installation: the sibling's exit code, its log, the printer it made.
name="Korvel KX-2410 Dot Matrix Printer"
[ "$(code install)" = 0 ] && ok "quiet installation: exit code 0" || bad "quiet installation: exit code $(code install)"
log=$(text install.log)
grep -q '(x86-64)$' <<<"$(head -1 <<<"$log")" && ok "the log is the sibling's: $(head -1 <<<"$log" | cut -d' ' -f3-)" ||
  bad "the log's first line is \"$(head -1 <<<"$log")\", not the x86-64 sibling's"
grep -q 'KorvelSetup64\.exe"* /quiet /model KX-2410 /port LPT1:' <<<"$log" &&
  ok "the sibling got the program's arguments" || bad "the sibling's command line is not in the log as expected"
tail -1 <<<"$log" | grep -q 'exit code 0$' && ok "the log ends with the exit code" || bad "the log's last line: $(tail -1 <<<"$log")"
spooler=$(spoolstate list)
grep -qxF "printer \"$name\" driver \"KORVEL KX-2410 Dot Matrix Printer\" port \"LPT1:\"" <<<"$spooler" &&
  grep -qxF "default \"$name\"" <<<"$spooler" && ok "the printer is on LPT1: and the default printer" ||
  { bad "the spooler after the installation:"; echo "$spooler"; }

# A bad switch: 1639, and the reason on the caller's standard error.
[ "$(code bad)" = 1639 ] && ok "a mistyped switch: exit code 1639" || bad "a mistyped switch: exit code $(code bad)"
grep -q '^KorvelSetup: unknown switch /modle' <<<"$(text bad-err.txt)" &&
  ok "its message reaches the caller's standard error" || bad "standard error of the mistyped switch: \"$(text bad-err.txt | head -1)\""

[ "$fail" -eq 0 ] || exit 1

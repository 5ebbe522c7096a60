#!/usr/bin/env bash
# The unattended runs of the program that ships under Wine, started from a batch file
# as a deployment tool starts it (cmd waits for the program and takes its exit code):
# the 32-bit KorvelSetup.exe of the assembled medium, through the hand-over to its
# x86-64 sibling in the default 64-bit prefix, by itself with KORVEL_WINE_ARCH=win32
# (scripts/wine-env.sh). Checked:
# the exit code, the spooler afterwards (spoolstate), the stand-in printer-UI entry's
# log and the program's own log (time stamps cut off), standard output and standard
# error. A run that showed a window or a box would wait for a user and hit the
# time-out, so every run must also end by itself.
#
#   tests/wine/unattended.sh BUILD
#
# Expectations: tests/wine/expected/unattended-NAME.{spooler,printui,log,stdout}.
set -euo pipefail
build=$(cd "${1:?build directory}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
source "$root/scripts/wine-env.sh"
trap korvel_wine_cleanup EXIT
korvel_wine_unmanaged
c=$WINEPREFIX/drive_c
rm -rf "$c/KorvelSetup" "$c/logs"
mkdir -p "$c/KorvelSetup" "$c/logs"
korvel_shipping_medium "$build"
cp -r "${KORVEL_E2E_MEDIUM:-$KORVEL_MEDIUM}"/. "$c/KorvelSetup/"
cp "$build/$KORVEL_WINE_TOOLS/printui.dll" "$c/windows/system32/printui.dll"
spoolstate() { "$WINE" "$build/$KORVEL_WINE_TOOLS/spoolstate.exe" "$@" | tr -d '\r'; }
printui_log=$c/korvel-printui.log
expected=$here/expected
fail=0

# run NAME ARGUMENTS: the program from a batch file; rc, and out/err/log/printui
# files in $work for the checks.
work=$(mktemp -d /tmp/korvel-unattended.XXXXXX)
run() {
  local name=$1 arguments=$2
  rm -f "$c/out.txt" "$c/err.txt" "$printui_log"
  printf '@echo off\r\nC:\\KorvelSetup\\%s %s > C:\\out.txt 2> C:\\err.txt\r\necho exit=%%ERRORLEVEL%%\r\n' \
    "$KORVEL_PROGRAM" "$arguments" > "$c/run.bat"
  local t0 t1 output
  t0=$(date +%s.%N)
  output=$(env WINEDLLOVERRIDES="printui=${override:-n}" KORVEL_PRINTUI_LOG='C:\korvel-printui.log' \
    timeout 60 "$WINE" cmd /c 'C:\run.bat' 2>/dev/null | tr -d '\r' || true)
  t1=$(date +%s.%N)
  rc=$(sed -n 's/^exit=//p' <<<"$output")
  tr -d '\r' < "$c/out.txt" > "$work/$name.stdout" 2>/dev/null || : > "$work/$name.stdout"
  tr -d '\r' < "$c/err.txt" > "$work/$name.stderr" 2>/dev/null || : > "$work/$name.stderr"
  # The log without its time stamps ("2024-05-01 08:00:00.000 "); through the hand-over
  # the sibling's command line has its path in quotation marks, which go too.
  sed -e 's/\r$//' -e 's/^[0-9-]* [0-9:.]* //' -e 's/^command line: "\([^"]*\)"/command line: \1/' \
    "$c/logs/setup.log" > "$work/$name.log" 2>/dev/null || : > "$work/$name.log"
  cp "$printui_log" "$work/$name.printui" 2>/dev/null || : > "$work/$name.printui"
  spoolstate | sort > "$work/$name.spooler"
  awk -v a="$t0" -v b="$t1" -v n="$name" -v r="${rc:-none}" 'BEGIN { printf "== %s: exit code %s after %.1f s\n", n, r, b - a }'
  local left
  left=$(xdotool search --name 'Korvel|ERROR|OK' 2>/dev/null || true)
  [ -z "$left" ] || { echo "FAIL $name: a window is left: $left"; fail=1; }
}
expect_rc() { [ "${rc:-none}" = "$2" ] && echo "ok   $1: exit code $2" || { echo "FAIL $1: exit code ${rc:-none}, expected $2"; fail=1; }; }
# expect_file NAME KIND: the run's KIND file equals expected/unattended-NAME.KIND.
expect_file() {
  if diff -u "$expected/unattended-$1.$2" "$work/$1.$2" > "$work/$1.$2.diff"; then echo "ok   $1: $2"; else
    echo "FAIL $1: the $2 differs"; cat "$work/$1.$2.diff"; fail=1; fi
}
# expect_line NAME KIND TEXT: a line of the run's KIND file is TEXT.
expect_line() {
  grep -qxF -- "$3" "$work/$1.$2" && echo "ok   $1: $2 has \"$3\"" || {
    echo "FAIL $1: $2 lacks the line \"$3\":"; sed 's/^/    /' "$work/$1.$2"; fail=1; }
}

spoolstate clear >/dev/null

# The catalogue on standard output, and the usage with /quiet.
run list "/list"
expect_rc list 0
expect_file list stdout
run usage "/quiet /?"
expect_rc usage 0
expect_line usage stdout "Korvel Printer Driver Setup"
expect_line usage stdout "Exit codes: 0 installed; 3010 installed, restart needed; 1603 failed; 87 bad command line."

# An installation on a named port that replaces an older printer of the name and its
# copy, and leaves other printers alone. Wine's differences show in the log: the old
# driver cannot be deleted (DPD_DELETE_UNUSED_FILES) and the device tree not re-scanned.
spoolstate add "Korvel KX-2410 Dot Matrix Printer" "LPT1:" "KORVEL KX-2410 Dot Matrix Printer" >/dev/null
spoolstate add "Korvel KX-2410 Dot Matrix Printer (Copy 1)" "LPT3:" "KORVEL KX-2410 Dot Matrix Printer" >/dev/null
spoolstate add "Other Printer" "LPT3:" >/dev/null
rm -f "$c/logs/setup.log"
run install '/quiet /model KX-2410 /port LPT2: /log C:\logs\setup.log'
expect_rc install 0
expect_file install spooler
expect_file install printui
expect_file install log

# Bad command lines: 87, nothing touched, the fault on standard error.
run unknown-model '/quiet /model KX-2411 /log C:\logs\setup.log'
expect_rc unknown-model 87
cmp -s "$work/install.spooler" "$work/unknown-model.spooler" && echo "ok   unknown-model: the spooler is untouched" \
  || { echo "FAIL unknown-model: the spooler changed"; fail=1; }
[ -s "$work/unknown-model.printui" ] && { echo "FAIL unknown-model: the printer-UI entry ran"; fail=1; }
expect_line unknown-model log 'model "KX-2411" is not in the catalogue (/list shows its models)'
expect_line unknown-model log "bad command line, nothing installed; exit code 87"
run bad-switch '/quiet /modle KX-2410'
expect_rc bad-switch 87
expect_line bad-switch stderr "KorvelSetup: unknown switch /modle"

# Wine's own printui.dll does nothing for /if: a failed installation, 1603, no box.
override=b run wine-printui '/quiet /model KN-935 /log C:\logs\setup.log'
expect_rc wine-printui 1603
expect_line wine-printui log 'no printer "Korvel KN-935 9-Pin Printer" after the installation command'
expect_line wine-printui log "the installation failed; exit code 1603"

# A log that cannot be written: said on standard error; the installation goes on.
run no-log-folder '/quiet /model KN-920 /log C:\missing\setup.log'
expect_rc no-log-folder 0
expect_line no-log-folder stderr 'KorvelSetup: The log C:\missing\setup.log cannot be written (error 3); the setup goes on without it.'
grep -q '^printer "Korvel KN-920 9-Pin Printer" ' "$work/no-log-folder.spooler" && echo "ok   no-log-folder: installed" \
  || { echo "FAIL no-log-folder: the printer is not installed"; fail=1; }

if [ $fail -ne 0 ]; then echo "unattended: FAILED (the runs' files are in $work)"; exit 1; fi
rm -rf "$work"
echo "unattended: PASS ($KORVEL_PROGRAM in a $KORVEL_WINE_ARCH prefix)"

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
source "$(dirname "$0")/prefix.sh"
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
grep -qx 'Korvel Printer Driver Setup [0-9]*\.[0-9]*\.[0-9]*\.[0-9]*' "$work/usage.stdout" && echo "ok   usage: the version first" \
  || { echo "FAIL usage: no version line"; fail=1; }
expect_line usage stdout "Exit codes: 0 done; 3010 restart needed; 1603 failed; 1639 bad command line."

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

# Run again as it stands: the printer is in place, so nothing is removed or installed
# (the stand-in sees only the default printer's command), and the log says so.
run rerun '/quiet /model KX-2410 /port lpt2: /log C:\logs\setup.log'
expect_rc rerun 0
cmp -s "$work/install.spooler" "$work/rerun.spooler" && echo "ok   rerun: the spooler is as it was" \
  || { echo "FAIL rerun: the spooler changed"; diff "$work/install.spooler" "$work/rerun.spooler"; fail=1; }
expect_line rerun log 'printer "Korvel KX-2410 Dot Matrix Printer" is already installed on port LPT2: with its driver: nothing to change'
grep -q '/if' "$work/rerun.printui" && { echo "FAIL rerun: the printer was installed again"; fail=1; }

# Bad command lines: 1639, nothing touched, the fault in the log or on standard error.
run unknown-model '/quiet /model KX-2411 /log C:\logs\setup.log'
expect_rc unknown-model 1639
cmp -s "$work/install.spooler" "$work/unknown-model.spooler" && echo "ok   unknown-model: the spooler is untouched" \
  || { echo "FAIL unknown-model: the spooler changed"; fail=1; }
[ -s "$work/unknown-model.printui" ] && { echo "FAIL unknown-model: the printer-UI entry ran"; fail=1; }
expect_line unknown-model log 'model "KX-2411" is not in the catalogue (/list shows its models)'
expect_line unknown-model log "bad command line, nothing changed; exit code 1639"
run bad-switch '/quiet /modle KX-2410'
expect_rc bad-switch 1639
expect_line bad-switch stderr "KorvelSetup: unknown switch /modle"
# A port the PC does not have: found before anything is removed; Wine's ports listed.
run bad-port '/quiet /model KX-2410 /port LTP1: /log C:\logs\setup.log'
expect_rc bad-port 1639
cmp -s "$work/install.spooler" "$work/bad-port.spooler" && echo "ok   bad-port: the spooler is untouched" \
  || { echo "FAIL bad-port: the spooler changed"; fail=1; }
expect_line bad-port log 'the port LTP1: is not one of this PC'"'"'s ports: COM1: COM2: COM3: COM4: FILE: LPT1: LPT2: LPT3:'
# A switch of the installation alone is a quiet run: no box that nobody could click.
# Nothing attached and no /model: a failure, said in the log of %TEMP%.
run nodefault-alone '/nodefault'
expect_rc nodefault-alone 1603
temp_log=$(find "$c/users" -ipath '*/temp/korvelsetup.log' | head -n1)
if [ -n "$temp_log" ] && tail -n1 "$temp_log" | tr -d '\r' | grep -q 'the installation failed; exit code 1603$' \
   && head -n1 "$temp_log" | grep -q ' KorvelSetup [0-9.]* (x86-64)'; then
  echo "ok   nodefault-alone: logged to %TEMP%\KorvelSetup.log, version first, exit code last"
else echo "FAIL nodefault-alone: no log in %TEMP% (${temp_log:-none})"; fail=1; fi

# Wine's own printui.dll does nothing for /if: a failed installation, 1603, no box.
override=b run wine-printui '/quiet /model KN-935 /log C:\logs\setup.log'
expect_rc wine-printui 1603
expect_line wine-printui log 'no printer "Korvel KN-935 9-Pin Printer" after the installation command'
expect_line wine-printui log "the installation failed; exit code 1603"

# A device is no log: refused; the installation goes on.
run device-log '/quiet /model KN-920 /port LPT3: /log COM1'
expect_rc device-log 0
expect_line device-log stderr 'KorvelSetup: The log COM1 cannot be written: it is a device, not a file on a disk; the setup goes on without it.'

# The removal: the printer family and the driver; again, nothing to remove, 0.
run uninstall '/uninstall /model KX-2410 /log C:\logs\setup.log'
expect_rc uninstall 0
grep -q '^printer "Korvel KX-2410' "$work/uninstall.spooler" && { echo "FAIL uninstall: the printer is left"; fail=1; }
grep -qi '^driver "Korvel KX-2410' "$work/uninstall.spooler" && { echo "FAIL uninstall: the driver is left"; cat "$work/uninstall.spooler"; fail=1; }
expect_line uninstall log "removed; exit code 0"
run uninstall-again '/uninstall /model KX-2410 /log C:\logs\setup.log'
expect_rc uninstall-again 0
expect_line uninstall-again log 'neither a printer nor a driver "Korvel KX-2410 Dot Matrix Printer" was installed: nothing to remove'

# A log that cannot be written: said on standard error; the installation goes on.
run no-log-folder '/quiet /model KN-920 /log C:\missing\setup.log'
expect_rc no-log-folder 0
# (The system's message text after the error's name is Wine's own.)
grep -q '^KorvelSetup: The log C:\\missing\\setup.log cannot be written: error 3 (ERROR_PATH_NOT_FOUND: .*); the setup goes on without it\.$' "$work/no-log-folder.stderr" \
  && echo "ok   no-log-folder: the log's fault on standard error" || { echo "FAIL no-log-folder: stderr:"; cat "$work/no-log-folder.stderr"; fail=1; }
grep -q '^printer "Korvel KN-920 9-Pin Printer" ' "$work/no-log-folder.spooler" && echo "ok   no-log-folder: installed" \
  || { echo "FAIL no-log-folder: the printer is not installed"; fail=1; }

if [ $fail -ne 0 ]; then echo "unattended: FAILED (the runs' files are in $work)"; exit 1; fi
rm -rf "$work"
echo "unattended: PASS ($KORVEL_PROGRAM in a $KORVEL_WINE_ARCH prefix)"

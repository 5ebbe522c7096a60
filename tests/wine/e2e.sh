#!/usr/bin/env bash
# End-to-end tests of the program that ships under Wine, driven from outside by
# tools/uidriver as a person would drive it: the 32-bit KorvelSetup.exe from the
# assembled medium, which in the default 64-bit prefix hands over to the x86-64
# KorvelSetup64.exe beside it (whose windows the UI driver then drives), and with
# KORVEL_WINE_ARCH=win32 runs by itself in a 32-bit prefix, as on 32-bit Windows
# (scripts/wine-env.sh; where Wine runs no 32-bit program, see there).
#
#   tests/wine/e2e.sh BUILD [SCENARIO...]      (default: every scenario in scripts/;
#                                              uidriver-probe in a 64-bit prefix only)
#
# One fresh prefix (CJK fonts, the stand-in printui.dll in system32) serves all
# scenarios; the spooler is emptied before each. Each scenario NAME has
#   scripts/NAME.script        the user's actions (docs/script-format.md)
#   expected/NAME.transcript   what the user must see
#   expected/NAME.spooler      the spooler afterwards (spoolstate, sorted)
#   expected/NAME.printui      the stand-in printer-UI entry's log; when this file is
#                              missing, the stand-in must not have run at all
#   expected/NAME.stdout       (optional) what the program wrote to standard output
# Screenshots of every printed state go to $KORVEL_SHOTS/NAME (default
# BUILD/e2e-shots-win64/NAME, -win32 in a 32-bit prefix) as PNG files. KORVEL_UPDATE_GOLDEN=1 first rewrites the
# expected files a scenario has from its run.
set -euo pipefail
build=$(cd "${1:?build directory}" && pwd)
shift
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)

source "$root/scripts/wine-env.sh"
scenarios=("$@")
if [ ${#scenarios[@]} -eq 0 ]; then
  # uidriver-probe first: it checks the UI driver itself, on a small wizard of its own
  # (built for x86-64: the 64-bit prefix's run checks the driver).
  scenarios=()
  [ "$KORVEL_WINE_TOOLS" = win64 ] && scenarios=(uidriver-probe)
  for f in "$here"/scripts/*.script; do
    n=$(basename "$f" .script)
    [ "$n" = uidriver-probe ] || scenarios+=("$n")
  done
fi

trap korvel_wine_cleanup EXIT
# Unmanaged windows: with no window manager on the display, Wine waits about 2 s for
# one each time a managed window closes (each message box, the sheet at the end).
reg=$(mktemp /tmp/korvel-unmanaged.XXXXXX.reg)
printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\n"Managed"="N"\n' > "$reg"
"$WINE" regedit "$reg" >/dev/null 2>&1
rm -f "$reg"
shots_root=${KORVEL_SHOTS:-$build/e2e-shots-$KORVEL_WINE_ARCH}
# The setup medium the build assembled around the shipping program (the demo medium).
korvel_shipping_medium "$build"
medium_src=${KORVEL_E2E_MEDIUM:-$KORVEL_MEDIUM}
tools=$build/$KORVEL_WINE_TOOLS
c=$WINEPREFIX/drive_c

# The setup medium: the program beside the catalogue and the driver trees, so that
# the program's own directory is the setup directory.
rm -rf "$c/KorvelSetup"
mkdir -p "$c/KorvelSetup"
cp -r "$medium_src"/. "$c/KorvelSetup/"
[ -f "$c/KorvelSetup/$KORVEL_PROGRAM" ] || { echo "FAIL: no $KORVEL_PROGRAM on the medium $medium_src"; exit 1; }
# The stand-in printer-UI entry, loaded instead of Wine's own when WINEDLLOVERRIDES
# says printui=n by the system folder's rundll32: the 64-bit one, which the x86-64
# sibling starts, or in a 32-bit prefix the 32-bit one. (A 32-bit program that did not
# hand over would start the 32-bit rundll32 of syswow64, which has none: it fails.)
cp "$tools/printui.dll" "$c/windows/system32/printui.dll"
uidriver="$tools/uidriver.exe"
winepath_w() { printf 'Z:%s' "${1//\//\\}"; }
spoolstate() { "$WINE" "$tools/spoolstate.exe" "$@" | tr -d '\r'; }
log_win='C:\korvel-printui.log'
log_unix="$c/korvel-printui.log"

# What each scenario needs beyond the common set-up (environment for the run).
setup() {
  run_env=(WINEDLLOVERRIDES=printui=n KORVEL_PRINTUI_LOG="$log_win")
  program="C:\\KorvelSetup\\$KORVEL_PROGRAM"
  case $1 in
    uidriver-probe)
      program=$(winepath_w "$build/win64/uidriver_probe.exe")
      ;;
    replace-old)
      # The removal meets three of Wine's differences, which the expectations show
      # rather than hide: the purge (SetPrinterW with PRINTER_CONTROL_PURGE) fails with
      # ERROR_INVALID_LEVEL and DeletePrinterDriverExW with DPD_DELETE_UNUSED_FILES
      # with ERROR_INVALID_PARAMETER, so the old driver stays (on Windows it goes and
      # the installation brings it back: the spooler ends the same); and the root of
      # the device tree cannot be located (CM_Locate_DevNodeW gives 0x13), which the
      # program reports on standard output (expected/replace-old.stdout).
      # As an earlier installation left them: the driver named as the INF spells it.
      spoolstate add "Korvel KX-2410 Dot Matrix Printer" "LPT2:" "KORVEL KX-2410 Dot Matrix Printer"
      spoolstate add "Korvel KX-2410 Dot Matrix Printer (Copy 1)" "LPT3:" "KORVEL KX-2410 Dot Matrix Printer"
      spoolstate add "Other Printer" "LPT3:"
      ;;
    wine-printui)
      # Wine's own printui.dll: it parses /if and does nothing.
      run_env=(WINEDLLOVERRIDES=printui=b KORVEL_PRINTUI_LOG="$log_win")
      ;;
    close-while-installing)
      run_env+=(KORVEL_PRINTUI_DELAY_MS=4000)
      ;;
  esac
}

failed=()
t_all=$(date +%s.%N)
for name in "${scenarios[@]}"; do
  script="$here/scripts/$name.script"
  [ -f "$script" ] || { echo "FAIL $name: no script $script"; failed+=("$name"); continue; }
  echo "== $name"
  out="$shots_root/$name"
  rm -rf "$out"
  mkdir -p "$out"
  spoolstate clear >/dev/null || true
  rm -f "$log_unix"
  [ "$(spoolstate)" = "default none" ] || { echo "FAIL $name: the spooler is not empty before the run"; failed+=("$name"); continue; }
  setup "$name"
  t0=$(date +%s.%N)
  rc=0
  env "${run_env[@]}" timeout 300 "$WINE" "$uidriver" --timeout 60000 --kill --shots "$(winepath_w "$out")" \
      --program-output "$(winepath_w "$out/program-output.txt")" \
      --cwd 'C:\KorvelSetup' -- "$program" < "$script" > "$out/transcript.txt" 2> "$out/uidriver.err" || rc=$?
  t1=$(date +%s.%N)
  cat "$out/uidriver.err"
  ok=1
  [ $rc -eq 0 ] || { echo "FAIL $name: uidriver ended with $rc"; ok=0; }
  if [ -n "${KORVEL_UPDATE_GOLDEN:-}" ] && [ $rc -eq 0 ]; then
    # Rewrites the expectations this scenario has (read the difference before
    # committing it); a missing printer-UI log stays missing, so the stand-in must
    # still not run where it must not.
    cp "$out/transcript.txt" "$here/expected/$name.transcript"
    [ ! -f "$here/expected/$name.stdout" ] || tr -d '\r' < "$out/program-output.txt" > "$here/expected/$name.stdout"
    [ ! -f "$here/expected/$name.spooler" ] || spoolstate | sort > "$here/expected/$name.spooler"
    [ ! -f "$here/expected/$name.printui" ] || [ ! -f "$log_unix" ] || cp "$log_unix" "$here/expected/$name.printui"
  fi
  if ! diff -u "$here/expected/$name.transcript" "$out/transcript.txt" > "$out/transcript.diff"; then
    echo "FAIL $name: the transcript differs"; cat "$out/transcript.diff"; ok=0
  fi
  if [ -f "$here/expected/$name.stdout" ] && ! diff -u "$here/expected/$name.stdout" <(tr -d '\r' < "$out/program-output.txt"); then
    echo "FAIL $name: the program's standard output differs"; ok=0
  fi
  spoolstate | sort > "$out/spooler.txt"
  if [ -f "$here/expected/$name.spooler" ] && ! diff -u "$here/expected/$name.spooler" "$out/spooler.txt"; then
    echo "FAIL $name: the spooler differs"; ok=0
  fi
  if [ -f "$here/expected/$name.printui" ]; then
    # The log proves that the stand-in, not Wine's own printui.dll, was loaded.
    if [ ! -f "$log_unix" ]; then
      echo "FAIL $name: the stand-in printer-UI entry did not run"; ok=0
    elif ! diff -u "$here/expected/$name.printui" "$log_unix"; then
      echo "FAIL $name: the printer-UI commands differ"; ok=0
    fi
  elif [ -f "$log_unix" ]; then
    echo "FAIL $name: the stand-in printer-UI entry ran:"; cat "$log_unix"; ok=0
  fi
  left=$(xdotool search --name "Korvel" 2>/dev/null || true)
  [ -z "$left" ] || { echo "FAIL $name: a window is left: $left"; ok=0; }
  for bmp in "$out"/*.bmp; do
    [ -e "$bmp" ] || continue
    convert "$bmp" -trim +repage "${bmp%.bmp}.png" && rm -f "$bmp"
  done
  awk -v a="$t0" -v b="$t1" -v n="$name" 'BEGIN { printf "%s: %.1f s\n", n, b - a }'
  [ $ok -eq 1 ] || [ -n "${KORVEL_UPDATE_GOLDEN:-}" ] ||
    echo "     when the change is meant: KORVEL_UPDATE_GOLDEN=1 tests/wine/e2e.sh BUILD $name (read the difference first)"
  if [ $ok -eq 1 ]; then echo "PASS $name"; else failed+=("$name"); fi
done
awk -v a="$t_all" -v b="$(date +%s.%N)" -v p="$KORVEL_PROGRAM" -v w="$KORVEL_WINE_ARCH" \
  'BEGIN { printf "e2e: %.1f s in all (%s, %s prefix)\n", b - a, p, w }'
if [ ${#failed[@]} -gt 0 ]; then
  echo "e2e: FAILED: ${failed[*]}"
  exit 1
fi
echo "e2e: PASS (${scenarios[*]}; $KORVEL_PROGRAM in a $KORVEL_WINE_ARCH prefix)"

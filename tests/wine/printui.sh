#!/usr/bin/env bash
# The stand-in printer-UI entry (tools/printui) in a fresh prefix, run by the 64-bit
# rundll32 as the wizard runs it: /if installs the driver and the printer only for a
# model its INF lists, a second /if of the same name makes a copy, /y makes the
# default printer, /k prints a test page, /dl deletes a printer; Wine's own printui.dll
# does none of it.
set -euo pipefail
build=$(cd "${1:?build directory}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/wine-env.sh"
trap korvel_wine_cleanup EXIT
c=$WINEPREFIX/drive_c
mkdir -p "$c/KorvelTest"
cp "$here/data/OEMPRINT.INF" "$c/KorvelTest/OEMPRINT.INF"
cp "$build/win64/printui.dll" "$c/windows/system32/printui.dll"
inf='C:\KorvelTest\OEMPRINT.INF'
export KORVEL_PRINTUI_LOG='C:\korvel-printui.log'
log=$c/korvel-printui.log
printui() { WINEDLLOVERRIDES=printui=${override:-n} "$WINE" rundll32 printui.dll,PrintUIEntry "$@"; }
state() { "$WINE" "$build/win64/spoolstate.exe" | tr -d '\r' | sort; }
fail=0
check() {  # check WHAT EXPECTED
  local got; got=$(state)
  if [ "$got" = "$(printf '%s\n' "$2" | sort)" ]; then echo "ok   $1"; else
    echo "FAIL $1"; echo "  expected:"; printf '%s\n' "$2" | sed 's/^/    /'; echo "  got:"; echo "$got" | sed 's/^/    /'; fail=1; fi
}

printui /if /n "Korvel TQ-2410" /f "$inf" /r "LPT1:" /m "Korvel TQ-2410"
check "/if installs the driver (named as the INF spells it) and the printer" 'default none
driver "KORVEL TQ-2410"
printer "Korvel TQ-2410" driver "KORVEL TQ-2410" port "LPT1:"'
[ -f "$log" ] && grep -q '^PrintUIEntryW /if' "$log" && echo "ok   the stand-in, not Wine's printui.dll, was loaded" \
  || { echo "FAIL the stand-in did not run"; fail=1; }

printui /y /q /n "Korvel TQ-2410"
check "/y makes the default printer" 'default "Korvel TQ-2410"
driver "KORVEL TQ-2410"
printer "Korvel TQ-2410" driver "KORVEL TQ-2410" port "LPT1:"'

printui /if /n "Korvel TQ-2410" /f "$inf" /r "LPT2:" /m "Korvel TQ-2410"
printui /if /n "Korvel TQ-9999" /f "$inf" /r "LPT2:" /m "Korvel TQ-9999"
printui /if /n "Korvel TQ-2400" /f 'C:\KorvelTest\' /r "LPT2:" /m "Korvel TQ-2400"
check "a second /if makes a copy; a model the INF lacks and a missing INF install nothing" 'default "Korvel TQ-2410"
driver "KORVEL TQ-2410"
printer "Korvel TQ-2410" driver "KORVEL TQ-2410" port "LPT1:"
printer "Korvel TQ-2410 (Copy 1)" driver "KORVEL TQ-2410" port "LPT2:"'

printui /k /q /n "Korvel TQ-2410"
grep -q '^  ok test page Korvel TQ-2410$' "$log" && echo "ok   /k prints a test page" || { echo "FAIL /k"; fail=1; }

lines=$(wc -l < "$log")
override=b printui /if /n "Korvel TQ-2400" /f "$inf" /r "LPT3:" /m "Korvel TQ-2400"
[ "$(wc -l < "$log")" -eq "$lines" ] && echo "ok   with printui=b Wine's own entry runs (and does nothing)" \
  || { echo "FAIL the stand-in ran with printui=b"; fail=1; }
check "Wine's own printui.dll installs nothing" 'default "Korvel TQ-2410"
driver "KORVEL TQ-2410"
printer "Korvel TQ-2410" driver "KORVEL TQ-2410" port "LPT1:"
printer "Korvel TQ-2410 (Copy 1)" driver "KORVEL TQ-2410" port "LPT2:"'

printui /dl /q /n "Korvel TQ-2410 (Copy 1)"
check "/dl deletes the printer" 'default "Korvel TQ-2410"
driver "KORVEL TQ-2410"
printer "Korvel TQ-2410" driver "KORVEL TQ-2410" port "LPT1:"'

if [ $fail -ne 0 ]; then echo "printui: FAILED; its log:"; cat "$log"; exit 1; fi
echo "printui: PASS"

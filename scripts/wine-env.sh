#!/usr/bin/env bash
# Sourced by the Wine tests: a fresh prefix with a CJK font standing in for
# "MS Shell Dlg", and an Xvfb display. Sets WINEPREFIX, DISPLAY and WINE.
# KORVEL_WINE_DISPLAY=keep uses the display in DISPLAY instead of a virtual one.
#
# KORVEL_WINE_ARCH chooses the prefix, as the PCs the setup meets:
#   win64 (default)  64-bit Windows: 64-bit programs, and 32-bit ones under WoW64
#                    (the 32-bit program there hands over to its x86-64 sibling)
#   win32            32-bit Windows (WINEARCH=win32, Wine's 32-bit loader): the
#                    32-bit program does all the work itself
# KORVEL_WINE_TOOLS is then the build configuration whose test tools (uidriver,
# spoolstate, printui.dll) match the prefix: win64 or win32.
set -euo pipefail
export WINEDEBUG=-all

# Whether Wine runs 32-bit programs here: wine32 is installed and the kernel runs i386
# programs (scripts/install-deps.sh leaves wine32 out where it cannot).
korvel_wine32_runs() { /usr/lib/wine/wine --version >/dev/null 2>&1; }
korvel_wine32_missing="Wine runs no 32-bit program here (no wine32:i386, or a kernel without IA32 emulation)"
if [ "${KORVEL_WINE_ARCH:-win64}" = win32 ] && ! korvel_wine32_runs; then
  echo "SKIP $(basename "$0") in a 32-bit prefix: $korvel_wine32_missing"
  exit 77  # ctest's SKIP_RETURN_CODE: shown as skipped, not as passed
fi
export KORVEL_WINE_ARCH=${KORVEL_WINE_ARCH:-win64}
case $KORVEL_WINE_ARCH in
  win64) export WINEARCH=win64 WINE=/usr/lib/wine/wine64 KORVEL_WINE_TOOLS=win64 ;;
  win32) export WINEARCH=win32 WINE=/usr/lib/wine/wine KORVEL_WINE_TOOLS=win32 ;;
  *) echo "KORVEL_WINE_ARCH=$KORVEL_WINE_ARCH: win64 or win32" >&2; exit 2 ;;
esac
[ -x "$WINE" ] || { echo "no $WINE: scripts/install-deps.sh installs Wine (wine32:i386 for 32-bit programs)" >&2; exit 2; }
export WINEPREFIX=${WINEPREFIX:-$(mktemp -d /tmp/korvel-wine.XXXXXX)}
if [ -z "${KORVEL_XVFB_PID:-}" ] && [ "${KORVEL_WINE_DISPLAY:-}" != keep ]; then
  for n in $(seq 90 120); do
    [ -e /tmp/.X$n-lock ] && continue
    Xvfb :$n -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    export KORVEL_XVFB_PID=$!
    export DISPLAY=:$n
    break
  done
  sleep 1
fi
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  "$WINE" wineboot -i >/dev/null 2>&1 || true
  reg=$(mktemp /tmp/korvel-fonts.XXXXXX.reg)
  cat > "$reg" <<'REG'
REGEDIT4

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]
"MS Shell Dlg"="WenQuanYi Micro Hei"
"MS Shell Dlg 2"="WenQuanYi Micro Hei"
"Tahoma"="WenQuanYi Micro Hei"
REG
  "$WINE" regedit "$reg" >/dev/null 2>&1
  rm -f "$reg"
  /usr/lib/wine/wineserver -w
fi

# The setup medium that ships and its program, for the tests that run what users run:
# KORVEL_MEDIUM and KORVEL_PROGRAM. The 32-bit medium (BUILD/win32/medium) with
# KorvelSetup.exe, which in a 64-bit prefix hands over to the KorvelSetup64.exe beside
# it; where Wine runs no 32-bit program, the x86-64 medium and its program instead,
# which is said.
korvel_shipping_medium() {
  if korvel_wine32_runs; then
    KORVEL_MEDIUM=$1/win32/medium
    KORVEL_PROGRAM=KorvelSetup.exe
  else
    echo "NOTE: $korvel_wine32_missing: KorvelSetup64.exe runs in place of KorvelSetup.exe"
    KORVEL_MEDIUM=$1/win64/medium
    KORVEL_PROGRAM=KorvelSetup64.exe
  fi
}

# Makes Wine's windows unmanaged: with no window manager on the virtual display, Wine
# otherwise waits about 2 s for one each time a managed window closes.
korvel_wine_unmanaged() {
  local reg
  reg=$(mktemp /tmp/korvel-unmanaged.XXXXXX.reg)
  printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\n"Managed"="N"\n' > "$reg"
  "$WINE" regedit "$reg" >/dev/null 2>&1
  rm -f "$reg"
}

# Ends Wine and the display that this script started, and removes a temporary prefix.
korvel_wine_cleanup() {
  /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
  [ -n "${KORVEL_XVFB_PID:-}" ] && kill "$KORVEL_XVFB_PID" 2>/dev/null || true
  case "$WINEPREFIX" in /tmp/korvel-wine.*) rm -rf "$WINEPREFIX" ;; esac
}

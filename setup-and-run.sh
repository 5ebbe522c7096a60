#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds everything and runs the wizard on the
# simulated demo PC (the simulator, interactive on a terminal).
#
#   ./setup-and-run.sh           the simulator on the demo PC
#   ./setup-and-run.sh --wine    the real x86-64 program under Wine, from the setup
#                                medium the build assembled (build/win64/medium)
#
# With --wine and an X display (DISPLAY set) the wizard opens there for you to use.
# Without one it runs on a virtual display, driven by the UI driver to its second
# page (series and model): the transcript of what it showed goes to standard output
# and a screenshot of that page, trimmed to the window, to
# build/series-and-model.png.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
build=${KORVEL_BUILD_DIR:-$root/build}
export KORVEL_BUILD_DIR=$build
case "${1:-}" in
  "" | --wine) ;;
  *) echo "usage: $0 [--wine]" >&2; exit 2 ;;
esac
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
echo "The 32-bit program: $build/win32/KorvelSetup.exe ($(stat -c %s "$build/win32/KorvelSetup.exe") bytes)"
if [ "${1:-}" != "--wine" ]; then
  exec "$build/host/korvel-sim"
fi

medium=$build/win64/medium
[ -f "$medium/KorvelSetup64.exe" ] || { echo "no setup medium in $medium" >&2; exit 1; }
# On the user's display when there is one; else wine-env.sh starts a virtual one.
[ -n "${DISPLAY:-}" ] && export KORVEL_WINE_DISPLAY=keep
source "$root/scripts/wine-env.sh"
trap korvel_wine_cleanup EXIT
# The medium goes onto the prefix's C: drive, as a setup medium is copied onto a PC:
# the program's own folder is then the setup directory with the catalogue and drivers.
setup_dir=$WINEPREFIX/drive_c/KorvelSetup
rm -rf "$setup_dir"
cp -r "$medium" "$setup_dir"
echo "The setup medium $medium is C:\\KorvelSetup in the Wine prefix $WINEPREFIX"

if [ "${KORVEL_WINE_DISPLAY:-}" = keep ]; then
  cd "$setup_dir"
  "$WINE" 'C:\KorvelSetup\KorvelSetup64.exe'
  exit 0
fi

shots=$(mktemp -d /tmp/korvel-shots.XXXXXX)
trap 'rm -rf "$shots"; korvel_wine_cleanup' EXIT
printf 'next\ncancel\n' | "$WINE" "$build/win64/uidriver.exe" --timeout 60000 --kill \
  --shots "Z:${shots//\//\\}" --cwd 'C:\KorvelSetup' -- 'C:\KorvelSetup\KorvelSetup64.exe' | tr -d '\r'
page2=$(ls "$shots"/*-page2.bmp 2>/dev/null | sort | tail -n1)
[ -n "$page2" ] || { echo "the wizard did not show its second page" >&2; exit 1; }
convert "$page2" -trim +repage "$build/series-and-model.png"
echo "Screenshot of the series and model page: $build/series-and-model.png"

#!/usr/bin/env bash
# Every command of docs/deployment.md, run under Wine as the page says to run it: each
# ```bat block becomes a batch file, run by cmd in the setup medium's folder (where
# Intune runs its install command), and what it did is checked: exit codes, the
# spooler, the registry key of the detection rule, the log against the page's example
# log, the catalogue listing against the page's excerpt. The README's unattended
# example must be one of the page's commands.
#
#   tests/wine/deployment.sh BUILD
#
# One stand-in: the share \\fileserver\deploy\Korvel is the medium copied to
# C:\KorvelSetup. The medium is the one that ships, run in a 64-bit prefix: its
# 32-bit KorvelSetup.exe hands over to the KorvelSetup64.exe beside it, as on 64-bit
# Windows. Where Wine runs no 32-bit program (scripts/wine-env.sh), KorvelSetup.exe
# there is the x86-64 program, which is said.
set -euo pipefail
source "$(dirname "$0")/prefix.sh"
page=$root/docs/deployment.md
c=$WINEPREFIX/drive_c
rm -rf "$c/KorvelSetup" "$c/doc"
mkdir -p "$c/KorvelSetup" "$c/doc"
korvel_shipping_medium "$build"
cp -r "$KORVEL_MEDIUM"/. "$c/KorvelSetup/"
[ "$KORVEL_PROGRAM" = KorvelSetup.exe ] || cp "$build/win64/KorvelSetup64.exe" "$c/KorvelSetup/KorvelSetup.exe"
cp "$build/win64/printui.dll" "$c/windows/system32/printui.dll"
export WINEDLLOVERRIDES=printui=n
spoolstate() { "$WINE" "$build/win64/spoolstate.exe" "$@" | tr -d '\r'; }
fail=0
ok() { echo "ok   $*"; }
bad() { echo "FAIL $*"; fail=1; }

# The page's blocks: the bat blocks as batch files (indentation of list items removed),
# and its example log and listing excerpt.
python3 - "$page" "$c/doc" <<'PY'
import re, sys
page, out = sys.argv[1], sys.argv[2]
text = open(page, encoding='utf-8').read()
blocks = re.findall(r'^( *)```(\w*)\n(.*?)^\1```\n', text, re.M | re.S)
bats = [b for b in blocks if b[1] == 'bat']
texts = [b for b in blocks if b[1] == 'text']
for i, (indent, _, body) in enumerate(bats):
    lines = [l[len(indent):] if l.startswith(indent) else l for l in body.splitlines()]
    body = '\r\n'.join(lines).replace('\\\\fileserver\\deploy\\Korvel', 'C:\\KorvelSetup') + '\r\n'
    open(f'{out}/block{i}.bat', 'w', encoding='utf-8', newline='').write(body)
    print(f'block{i}: {lines[0] if len(lines) == 1 else lines[1]}', file=sys.stderr)
open(f'{out}/count', 'w').write(str(len(bats)))
open(f'{out}/listing.txt', 'w', encoding='utf-8').write(texts[0][2])
open(f'{out}/example.log', 'w', encoding='utf-8').write(texts[2][2])
PY
count=$(cat "$c/doc/count")
# The checks below know each block by its place; a block added to the page needs one.
[ "$count" = 8 ] && ok "the page has its 8 commands" || bad "the page has $count bat blocks, the test knows 8"

# run N: block N in the medium's folder; rc and its output (out).
run() {
  printf '@echo off\r\ncd /d C:\\KorvelSetup\r\ncall C:\\doc\\block%s.bat > C:\\doc\\out.txt 2>&1\r\necho exit=%%ERRORLEVEL%%\r\n' \
    "$1" > "$c/doc/run.bat"
  rc=$(timeout 60 "$WINE" cmd /c 'C:\doc\run.bat' 2>/dev/null | tr -d '\r' | sed -n 's/^exit=//p' || true)
  out=$(tr -d '\r' < "$c/doc/out.txt")
}
log_file() { find "$c/windows" -maxdepth 2 -ipath '*/temp/korvelsetup.log' | head -n1; }
has_printer() { spoolstate | grep -q '^printer "Korvel KX-2410 Dot Matrix Printer" .*port "LPT1:"'; }
name='Korvel KX-2410 Dot Matrix Printer'

spoolstate clear >/dev/null

# The models, as /list writes them.
run 0
listing=$(find "$c/users" -maxdepth 3 -iname korvel-models.txt | head -n1)
if [ "$rc" = 0 ] && [ -n "$listing" ]; then
  tr -d '\r' < "$listing" > "$c/doc/models.txt"
  if grep -vxF -f "$c/doc/models.txt" "$c/doc/listing.txt" >/dev/null; then
    bad "/list: the page's excerpt is not what the program lists:"; cat "$c/doc/models.txt"
  else ok "/list writes the catalogue as the page shows it"; fi
else bad "/list: exit code $rc, listing ${listing:-missing}"; fi

# Detection before anything is installed.
run 5
[ "$rc" = 1 ] && ok "the detection command finds no printer before" || bad "detection before: exit code $rc"

# The batch file.
run 1
if [ "$rc" = 0 ] && [ "$out" = "Installed." ] && has_printer && spoolstate | grep -qxF "default \"$name\""; then
  ok "the batch file installs, makes the default printer and says so"
else bad "the batch file: exit code $rc, said \"$out\""; spoolstate; fi
# Its log is the page's example: the same lines after the time stamps, letter case
# aside (Wine's system folder is C:\windows), with the share's stand-in in place (and
# the x86-64 program's, where it stands in for KorvelSetup.exe: it names itself).
log=$(log_file)
if [ -n "$log" ]; then
  sed -e 's/\r$//' -e 's/^[0-9-]* [0-9:.]* //' "$log" | tr 'A-Z' 'a-z' > "$c/doc/got.log"
  itself=""
  [ "$KORVEL_PROGRAM" = KorvelSetup.exe ] || itself='/command line:/s/KorvelSetup64\.exe"/KorvelSetup.exe"/'
  sed -e 's/^[0-9-]* [0-9:.]* //' -e 's/\\\\fileserver\\deploy\\Korvel/C:\\KorvelSetup/g' \
      -e "$itself" "$c/doc/example.log" | tr 'A-Z' 'a-z' > "$c/doc/want.log"
  diff -u "$c/doc/want.log" "$c/doc/got.log" && ok "the log is the page's example" || bad "the log differs from the page's example"
else bad "the batch file wrote no log"; fi
lines=$(wc -l < "$log")

run 5
[ "$rc" = 0 ] && ok "the detection command finds the printer" || bad "detection after the installation: exit code $rc"
# The upgrade rule's key, the driver's, read from the page's table (Wine writes no
# DriverVersion under it, so the version comparison itself is not tried).
driver_key=$(grep -m1 -o 'HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\Windows x64\\Drivers\\Version-3\\[^`]*' "$page" || true)
if [ -n "$driver_key" ] && "$WINE" reg query "$driver_key" >/dev/null 2>&1; then
  ok "the upgrade rule's key, the driver's, is there"
else bad "the upgrade rule's key \"$driver_key\" is not there"; fi

# At a command prompt: start /wait, then the exit code (a second installation replaces the first).
run 2
[ "$rc" = 0 ] && [ "$out" = 0 ] && has_printer && ok "start /wait shows the exit code 0" || bad "start /wait: \"$out\""

# Intune's install and uninstall commands, then detection again.
run 3
[ "$rc" = 0 ] && has_printer && ok "the install command of the Intune app" || bad "the Intune install command: exit code $rc"
run 4
if has_printer || spoolstate | grep -qi '^driver "Korvel KX-2410'; then bad "the uninstall command left the printer or its driver"; spoolstate
elif [ "$rc" = 0 ]; then ok "the uninstall command removes the printer and its driver, exit code 0"
else bad "the uninstall command: exit code $rc"; fi
run 4
[ "$rc" = 0 ] && ok "the uninstall command again: nothing to remove, exit code 0" || bad "the uninstall command again: exit code $rc"
run 5
[ "$rc" = 1 ] && ok "the detection command finds no printer after the uninstall" || bad "detection after the uninstall: exit code $rc"

# The startup script: installs at the first start, does nothing at the next.
before=$(wc -l < "$log")
run 6
[ "$rc" = 0 ] && has_printer && [ "$(wc -l < "$log")" -gt "$before" ] && ok "the startup script installs" \
  || bad "the startup script: exit code $rc"
before=$(wc -l < "$log")
run 6
[ "$rc" = 0 ] && [ "$(wc -l < "$log")" -eq "$before" ] && ok "the startup script does nothing when the printer is there" \
  || bad "the startup script ran again: exit code $rc"

# The logon script makes the printer the user's default again (after another printer
# became it).
"$WINE" "$build/win64/spoolstate.exe" add "Other Printer" "LPT3:" >/dev/null
WINEDLLOVERRIDES=printui=n "$WINE" rundll32.exe printui.dll,PrintUIEntry /y /q /n "Other Printer" >/dev/null 2>&1 || true
run 7
[ "$rc" = 0 ] && spoolstate | grep -qxF "default \"$name\"" && ok "the logon script makes the printer the default" \
  || { bad "the logon script: exit code $rc"; spoolstate; }

# The README's example is one of the page's commands.
example=$(grep -m1 -o 'KorvelSetup\.exe /quiet [^`]*' "$root/README.md" || true)
[ -n "$example" ] && grep -qF -- "$example" "$page" && ok "the README's example is on the page" \
  || bad "the README's unattended example (\"$example\") is not on the page"

if [ $fail -ne 0 ]; then echo "deployment: FAILED"; exit 1; fi
echo "deployment: PASS ($lines lines in the first run's log; $KORVEL_PROGRAM as KorvelSetup.exe)"

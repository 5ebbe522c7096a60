#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need; does nothing for
# packages that are already there. With --tools, only those of the Linux build
# (scripts/build-tools.sh).
#
# Wine runs the shipping 32-bit program with Debian's wine32 (i386): the i386
# architecture is added and the package lists updated before it is installed (about 4
# minutes on a fresh machine). A kernel built without 32-bit emulation (or with it
# switched off, ia32_emulation=off) runs no i386 program: then qemu-user comes too, with
# which tests/wine/handover.sh runs Wine's 32-bit loader under emulation, and the other
# Wine tests run the x86-64 program in its place, saying so.
set -euo pipefail

# Whether this kernel runs a 32-bit x86 program: a 93-byte i386 ELF that exits with 0.
runs_i386() {
  local probe
  probe=$(mktemp /tmp/korvel-i386.XXXXXX)
  printf '\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\x31\xdb\xb8\x01\x00\x00\x00\xcd\x80' > "$probe"
  chmod +x "$probe"
  local status=0
  "$probe" 2>/dev/null || status=$?
  rm -f "$probe"
  return $status
}
packages=(
  cmake ninja-build g++ make pkg-config python3
  libgtest-dev googletest
)
if [ "${1:-}" != --tools ]; then
  packages+=(
    g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
    clang libclang-rt-14-dev
    wine64 xvfb xdotool imagemagick x11-utils fonts-wqy-microhei
  )
fi
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
if [ "${1:-}" != --tools ]; then
  packages+=(wine32:i386)
  # wine32 is then missing too, so the package lists are updated below.
  dpkg --print-foreign-architectures | grep -qx i386 || $SUDO dpkg --add-architecture i386
  if ! runs_i386; then
    packages+=(qemu-user)
    echo "install-deps: this kernel runs no 32-bit program (IA32 emulation is off): the hand-over test runs" \
         "Wine's 32-bit loader under qemu-user, the other Wine tests the x86-64 program"
  fi
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
# A Debian mirror caught mid-sync serves an index that disagrees with its Release
# file ("File has unexpected size") and apt-get update fails: it is tried again after
# a pause. Should it still fail, the lists it did fetch are used, and apt-get install
# says plainly if a package cannot be found from them.
updated=0
for pause in 0 30 60 120; do
  if [ "$pause" -gt 0 ]; then
    echo "install-deps: apt-get update failed; trying again in $pause s"
    sleep "$pause"
  fi
  if $SUDO apt-get update -qq -o Acquire::Retries=3; then updated=1; break; fi
done
[ "$updated" -eq 1 ] || echo "install-deps: apt-get update kept failing; installing from the lists it has"
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null

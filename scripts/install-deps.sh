#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need; does nothing for
# packages that are already there. With --tools, only those of the Linux build
# (scripts/build-tools.sh).
set -euo pipefail
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
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
echo "Installing: ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null

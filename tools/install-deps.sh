#!/usr/bin/env bash
# Installs what building and testing every platform needs, on Debian (bookworm).
# Runs apt-get as root (directly, or through sudo when not root).
set -euo pipefail

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

packages=(
  # build
  cmake ninja-build g++ pkg-config binutils file
  # Tcl and the unit tests
  tcl8.6 tcl8.6-dev libgtest-dev
  # Linux desktop program and its tests in a real window
  libgtk-3-dev xvfb xauth xdotool x11-utils x11-apps imagemagick tk8.6 x11-xkb-utils
  # Windows program: cross toolchain, Tcl's source package, Wine
  g++-mingw-w64-i686 gcc-mingw-w64-i686 binutils-mingw-w64-i686 dpkg-dev wine wine32
  # 64-bit Windows program: its cross toolchain, 64-bit Wine
  g++-mingw-w64-x86-64 gcc-mingw-w64-x86-64 binutils-mingw-w64-x86-64 wine64
  # install and packages: hicolor PNGs from the SVG icon, the desktop entry's
  # check, unpacking the Windows .zip, running the script
  # reference's example runner
  librsvg2-bin desktop-file-utils unzip python3
  # conformance suite: a window manager that draws frames, a Wayland compositor
  openbox weston
  # Windows program's icon, made from icons/vesk2b.svg: SVG to PNG, PNGs to .ico
  icoutils
  # Fuzz targets (fuzz preset, tools/fuzz.sh): clang with libFuzzer and the sanitizer runtimes
  clang-14 libclang-rt-14-dev
  # Packages (tools/package.sh) and their tests: manual pages, the Debian
  # packages and lintian, installing them, the Windows installer (tested under
  # 64-bit Wine), kestrum.lib for Microsoft's linker and a caller linked with it
  scdoc debhelper lintian man-db nsis wine64 lld
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
  missing+=(wine32)
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi

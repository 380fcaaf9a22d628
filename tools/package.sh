#!/usr/bin/env bash
# Builds the release packages into build/packages/:
#   gtk    vesk2b-<version>-Linux.tar.gz, which runs from wherever it is unpacked
#   deb    vesk2b_<version>_<arch>.deb, vesk2b-dev_…, libkestrum1_… and
#          libkestrum-dev_… (dpkg-buildpackage from debian/, checked by lintian)
#   win32  vesk2b-<version>-win32.zip, which runs from wherever it is
#          unpacked, and the installer vesk2b-<version>-win32-setup.exe
#   win64  the same for 64-bit Windows: vesk2b-<version>-win64.zip and
#          vesk2b-<version>-win64-setup.exe
# Usage: tools/package.sh [kind…]   (default: gtk deb win32 win64)
set -euo pipefail
cd "$(dirname "$0")/.."

kinds=(gtk deb win32 win64)
if [ $# -gt 0 ]; then kinds=("$@"); fi

mkdir -p build/packages
for kind in "${kinds[@]}"; do
  if [ "$kind" = deb ]; then
    echo "=== Debian packages"
    tools/build-debs.sh build/packages
    continue
  fi
  echo "=== $kind: configure and build"
  cmake --preset "$kind" >/dev/null
  cmake --build --preset "$kind" -j"$(nproc)"
  echo "=== $kind: package"
  cpack --config "build/$kind/CPackConfig.cmake" -B build/packages
  case $kind in
    win32|win64) tools/make-installer.sh "build/$kind" build/packages ;;
  esac
done
rm -rf build/packages/_CPack_Packages build/packages/installer-* build/packages/debian-build
ls -l build/packages

#!/usr/bin/env bash
# Builds the release packages into build/packages/:
#   gtk    vesk2b_<version>_<arch>.deb and vesk2b-<version>-Linux.tar.gz
#   win32  vesk2b-<version>-win32.zip, which runs from wherever it is unpacked
#   win64  vesk2b-<version>-win64.zip, the same for 64-bit Windows
# Usage: tools/package.sh [preset…]   (default: gtk win32 win64)
set -euo pipefail
cd "$(dirname "$0")/.."

presets=(gtk win32 win64)
if [ $# -gt 0 ]; then presets=("$@"); fi

mkdir -p build/packages
for preset in "${presets[@]}"; do
  echo "=== $preset: configure and build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j"$(nproc)"
  echo "=== $preset: package"
  cpack --config "build/$preset/CPackConfig.cmake" -B build/packages
done
rm -rf build/packages/_CPack_Packages
ls -l build/packages

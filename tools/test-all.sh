#!/usr/bin/env bash
# Builds every platform and runs every test: the headless unit and behaviour
# tests (plain and under ASan/UBSan), the kestrum tests, the fuzz targets, the Linux desktop
# program in a real window under Xvfb, and the Windows program (32- and
# 64-bit) under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh

presets=(headless asan fuzz gtk gtk-asan win32 win64)
if [ $# -gt 0 ]; then presets=("$@"); fi

for preset in "${presets[@]}"; do
  if [ "$preset" = fuzz ]; then
    # Builds the fuzz targets and runs each for 20 seconds.
    echo "=== fuzz: build and run every target"
    tools/fuzz.sh 20
    continue
  fi
  echo "=== $preset: configure and build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j"$(nproc)"
  echo "=== $preset: test"
  ctest --preset "$preset" --no-tests=error
done
echo "=== all presets passed: ${presets[*]}"

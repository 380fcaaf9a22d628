#!/usr/bin/env bash
# Torture of the real programs: random sequences from the torture generator
# (tests/torture/), ten per script, run as the application script of the gtk
# program built with AddressSanitizer and UndefinedBehaviorSanitizer (preset
# gtk-asan) on Xvfb, and of vesk2b.exe under Wine (preset win32). Builds the
# presets if needed; prints the runs, sequences, failures and time of each.
#
# Usage: tools/torture.sh [sequences]   (per platform; default 1000)
#        TORTURE_FIRST_SEED (default 1000) picks another range of seeds.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
sequences=${1:-1000}
per_script=10
scripts=$(((sequences + per_script - 1) / per_script))
first=${TORTURE_FIRST_SEED:-1000}

for preset in gtk-asan win32; do
    cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" -j2 >/dev/null ||
        { echo "building $preset failed" >&2; exit 1; }
done
writer=build/gtk-asan/tests/torture/torture_scripts
status=0

python3 tests/torture/run_programs.py gtk build/gtk-asan/vesk2b "$writer" "$first" "$scripts" "$per_script" ||
    status=1

export VESK_WIN32_STATE=$root/build/win32/wine
python3 tests/runner.py wine-setup >/dev/null 2>&1
python3 tests/torture/run_programs.py win32 build/win32/vesk2b.exe "$writer" "$first" "$scripts" "$per_script" ||
    status=1
python3 tests/runner.py wine-cleanup
exit $status

#!/bin/bash
# kestrum.dll's timing benchmark under Wine: kestrum_bench.exe, a 32-bit
# program that calls the DLL's fastcall exports through its import library,
# prints the same table as build/headless/bench/kestrum_bench (floor, kestrum
# at 1, 100 and 1000 live timers, the reused buffer, the hand-written map,
# the calibration and the residual after correction).
#
# Usage: bench/win32_kestrum.sh [runs]   (after: cmake --preset win32 &&
#        cmake --build --preset win32)
# With several runs, each run's table is printed in turn.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-1}
bin=${VESK_WIN32_BIN:-$root/build/win32}
export VESK_WIN32_STATE=${VESK_WIN32_BENCH_STATE:-$bin/wine-bench}
source "$root/tests/win32/wine_env.sh"

win32_bench_env_start kestrum_bench.exe kestrum.dll

status=0
for run in $(seq "$runs"); do
    [ "$runs" -gt 1 ] && echo "== run $run of $runs"
    (cd "$bin" && wine kestrum_bench.exe </dev/null) || status=1
done

win32_bench_env_stop
exit $status

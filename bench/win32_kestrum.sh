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

for file in kestrum_bench.exe kestrum.dll; do
    [ -f "$bin/$file" ] || win32_fail "$bin/$file is missing: build the win32 preset first"
done

started_env=0
if [ ! -s "$VESK_WIN32_STATE/display" ] || ! kill -0 "$(cat "$VESK_WIN32_STATE/xvfb.pid" 2>/dev/null)" 2>/dev/null; then
    win32_env_start
    started_env=1
fi
win32_env_use

status=0
for run in $(seq "$runs"); do
    [ "$runs" -gt 1 ] && echo "== run $run of $runs"
    (cd "$bin" && wine kestrum_bench.exe </dev/null) || status=1
done

[ "$started_env" -eq 1 ] && win32_env_stop
exit $status

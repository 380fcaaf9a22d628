#!/bin/bash
# kestrum.dll's timing benchmark under Wine: kestrum_bench.exe, a Windows
# program that calls the DLL's exports through its import library (the
# fastcall ones on win32), prints the same table as
# build/headless/bench/kestrum_bench (floor, kestrum at 1, 100 and 1000 live
# timers, the reused buffer, the hand-written map, the calibration and the
# residual after correction).
#
# Usage: bench/win32_kestrum.sh [runs] [win32|win64 ...]   (default: win32;
#        after: cmake --preset ARCH && cmake --build --preset ARCH)
# With several runs, each run's table is printed in turn; with both
# architectures, the 64-bit tables follow the 32-bit ones, each under its name.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-1}
[ $# -gt 0 ] && shift
archs=("$@")
[ ${#archs[@]} -gt 0 ] || archs=(win32)

status=0
for arch in "${archs[@]}"; do
    bin=${VESK_WIN32_BIN:-$root/build/$arch}
    export VESK_WIN32_STATE=${VESK_WIN32_BENCH_STATE:-$bin/wine-bench} VESK_WINE_ARCH=$arch
    source "$root/bench/wine_env.sh"
    win32_bench_env_start kestrum_bench.exe kestrum.dll
    [ ${#archs[@]} -gt 1 ] && echo "==== $arch ($bin)"
    for run in $(seq "$runs"); do
        [ "$runs" -gt 1 ] && echo "== $arch run $run of $runs"
        (cd "$bin" && "$VESK_WINE" kestrum_bench.exe </dev/null) || status=1
    done
    win32_bench_env_stop
done
exit $status

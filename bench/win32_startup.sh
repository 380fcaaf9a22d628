#!/bin/bash
# Start-up benchmark of the Windows program under Wine: the wall time from
# starting vesk2b.exe to its exit, with an application script that destroys
# the window at once, against bare_window.exe, a plain Win32 program that
# opens one window of the same class values and closes it, and against the
# same with the console that vesk2b opens at start (bare_window.exe --console). Both are started
# as from a desktop (no terminal, so vesk2b.exe opens a console window, as
# it does on Windows), alternately, after one warm-up run each; the median
# of each is printed with their ratio (target: at most 1.1).
#
# The benchmark has a Wine prefix of its own, whose windows are unmanaged:
# with no window manager on Xvfb, Wine otherwise waits 2 s for a window
# manager to withdraw every managed window that is destroyed, the same fixed
# delay for both programs, which would hide the difference being measured.
#
# Usage: bench/win32_startup.sh [runs]   (after: cmake --preset win32 &&
#        cmake --build --preset win32)
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-15}
bin=${VESK_WIN32_BIN:-$root/build/win32}
export VESK_WIN32_STATE=${VESK_WIN32_BENCH_STATE:-$bin/wine-bench}
source "$root/tests/win32/wine_env.sh"

for file in vesk2b.exe tcl86.dll bare_window.exe; do
    [ -f "$bin/$file" ] || win32_fail "$bin/$file is missing: build the win32 preset first"
done

started_env=0
if [ ! -s "$VESK_WIN32_STATE/display" ] || ! kill -0 "$(cat "$VESK_WIN32_STATE/xvfb.pid" 2>/dev/null)" 2>/dev/null; then
    win32_env_start
    started_env=1
fi
win32_env_use
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f </dev/null >/dev/null 2>&1

app="$VESK_WIN32_STATE/bench"
rm -rf "$app"
mkdir -p "$app/default"
cp "$bin/vesk2b.exe" "$bin/tcl86.dll" "$bin/bare_window.exe" "$app/"
cp "$root/tests/win32/scripts/quit_at_once.tcl" "$app/default/vesk.tcl"

# Microseconds from start to exit of one program; fails on a non-zero exit
# code, so a program that breaks is not timed as fast.
time_run() {
    local start end status
    start=$(date +%s%N)
    (cd "$app" && timeout 60 wine "$app/$1" "${@:2}" </dev/null >/dev/null 2>&1)
    status=$?
    end=$(date +%s%N)
    [ "$status" -eq 0 ] || win32_fail "$1 exited with $status"
    echo $(((end - start) / 1000))
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

time_run bare_window.exe >/dev/null
time_run bare_window.exe --console >/dev/null
time_run vesk2b.exe >/dev/null
bare=()
console=()
vesk=()
for _ in $(seq "$runs"); do
    bare+=("$(time_run bare_window.exe)")
    console+=("$(time_run bare_window.exe --console)")
    vesk+=("$(time_run vesk2b.exe)")
done

bare_median=$(printf '%s\n' "${bare[@]}" | median)
console_median=$(printf '%s\n' "${console[@]}" | median)
vesk_median=$(printf '%s\n' "${vesk[@]}" | median)
awk -v b="$bare_median" -v c="$console_median" -v v="$vesk_median" -v n="$runs" 'BEGIN {
    printf "win32 start-up under Wine, median of %d: bare window %.1f ms, bare window with console %.1f ms, vesk2b %.1f ms\n",
        n, b / 1000, c / 1000, v / 1000
    printf "win32 start-up ratio: vesk2b / bare window %.3f (target <= 1.1); vesk2b / bare window with console %.3f\n",
        v / b, v / c
}'

[ "$started_env" -eq 1 ] && win32_env_stop
exit 0

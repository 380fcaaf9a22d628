#!/bin/bash
# Start-up benchmark of the Windows program under Wine: the wall time from
# starting vesk2b.exe to its exit, with an application script that destroys
# the window at once, against bare_window.exe, a plain Win32 program that
# opens one window of the same class values and closes it, and against the
# same with the console that vesk2b opens at start (bare_window.exe
# --console). They are started as from a desktop (no terminal, so vesk2b.exe
# opens a console window, as it does on Windows), in turn, after one warm-up
# run each; the median of each is printed with the ratios (target: at most
# 1.1 against the bare window).
#
# Every run starts from the same quiet state, as on a Windows desktop:
# - Wine's desktop process (explorer.exe /desktop) quits about a second after
#   the last program with windows; a program started after that pays for
#   starting it again. A window-less, idle program (notepad.exe) holds the
#   desktop for the whole benchmark.
# - The console process (conhost.exe) of a run outlives its program by tens
#   of milliseconds; the next run waits until it is gone, so that no run is
#   charged for the one before it.
# - Windows are unmanaged: with no window manager on Xvfb, Wine otherwise
#   waits 2 s for a window manager to withdraw every managed window that is
#   destroyed, the same fixed delay for both programs, which would hide the
#   difference being measured.
#
# Usage: bench/win32_startup.sh [runs]   (after: cmake --preset win32 &&
#        cmake --build --preset win32)
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-21}
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

# Waits (up to 5 s) until no console process of an earlier run is left.
settle() {
    for _ in $(seq 250); do
        pgrep -f 'conhost\.exe' >/dev/null || break
        sleep 0.02
    done
    sleep 0.05
}

# Microseconds from start to exit of one program; fails on a non-zero exit
# code, so a program that breaks is not timed as fast.
time_run() {
    local start end status
    settle
    start=$(date +%s%N)
    (cd "$app" && timeout 60 wine "$app/$1" "${@:2}" </dev/null >/dev/null 2>&1)
    status=$?
    end=$(date +%s%N)
    [ "$status" -eq 0 ] || win32_fail "$1 exited with $status"
    echo $(((end - start) / 1000))
}

stop_desktop_holder() {
    [ -n "${holder:-}" ] || return 0
    kill "$holder" 2>/dev/null
    wait "$holder" 2>/dev/null
    holder=
}
trap stop_desktop_holder EXIT

(cd "$app" && exec wine notepad.exe </dev/null >/dev/null 2>&1) &
holder=$!
for _ in $(seq 100); do
    pgrep -f 'explorer\.exe /desktop' >/dev/null && break
    sleep 0.1
done
pgrep -f 'explorer\.exe /desktop' >/dev/null || win32_fail "Wine's desktop process did not start"
sleep 0.5

# Median, first and third quartile (nearest rank) of microsecond samples.
quartiles() {
    sort -n | awk '{ v[NR] = $1 }
        function at(q) { i = int(q * NR + 0.999999); return v[i < 1 ? 1 : i] }
        END { print at(0.5), at(0.25), at(0.75) }'
}

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

read -r bare_median bare_q1 bare_q3 < <(printf '%s\n' "${bare[@]}" | quartiles)
read -r console_median console_q1 console_q3 < <(printf '%s\n' "${console[@]}" | quartiles)
read -r vesk_median vesk_q1 vesk_q3 < <(printf '%s\n' "${vesk[@]}" | quartiles)
awk -v n="$runs" \
    -v b="$bare_median" -v b1="$bare_q1" -v b3="$bare_q3" \
    -v c="$console_median" -v c1="$console_q1" -v c3="$console_q3" \
    -v v="$vesk_median" -v v1="$vesk_q1" -v v3="$vesk_q3" 'BEGIN {
    printf "win32 start-up under Wine, %d runs each, median (quartiles) in ms:\n", n
    printf "  bare window               %6.1f (%.1f-%.1f)\n", b / 1000, b1 / 1000, b3 / 1000
    printf "  bare window with console  %6.1f (%.1f-%.1f)\n", c / 1000, c1 / 1000, c3 / 1000
    printf "  vesk2b                    %6.1f (%.1f-%.1f)\n", v / 1000, v1 / 1000, v3 / 1000
    printf "win32 start-up ratio: vesk2b / bare window %.3f (target <= 1.1); vesk2b / bare window with console %.3f\n",
        v / b, v / c
}'

stop_desktop_holder
[ "$started_env" -eq 1 ] && win32_env_stop
exit 0

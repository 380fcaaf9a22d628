#!/bin/bash
# Start-up benchmark of the Windows program under Wine: the wall time from
# starting vesk2b.exe to its exit, with an application script that destroys
# the window at once, against bare_window.exe, a plain Win32 program that
# opens one window of the same class values and closes it (target: vesk2b at
# most 1.1 times the bare window).
#
# Three more programs add one piece of vesk2b each to the bare window, to show
# where the difference comes from: the console that vesk2b opens at start
# (bare_window.exe --console), a Tcl interpreter (bare_tcl_window.exe --tcl,
# which links tcl86.dll), and both.
#
# All are started as from a desktop (no terminal, so vesk2b.exe opens a
# console window, as it does on Windows): one warm-up run each, then rounds
# of one run each in a shuffled order. The median and quartiles of each are
# printed, with the ratios to the bare window.
#
# Every run starts from the same quiet state, as on a Windows desktop:
# - Wine's desktop process (explorer.exe /desktop) quits about a second after
#   the last program with windows; a program started after that pays for
#   starting it again. An idle notepad.exe holds the desktop for the whole
#   benchmark.
# - Wine and Xvfb go on working for a while after a program ends (its
#   console process, conhost.exe, outlives it by tens of milliseconds). The
#   next run waits until that console process is gone and then 0.3 s more,
#   so that no run is charged for the one before it; with a shorter pause a
#   run that follows a program without a console is up to 30 ms slower.
# - Windows are unmanaged: with no window manager on Xvfb, Wine otherwise
#   waits 2 s for a window manager to withdraw every managed window that is
#   destroyed, the same fixed delay for every program, which would hide the
#   differences being measured.
#
# Usage: bench/win32_startup.sh [runs] [win32|win64]   (default: 21 win32;
#        after: cmake --preset ARCH && cmake --build --preset ARCH)
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-21}
arch=${2:-win32}
bin=${VESK_WIN32_BIN:-$root/build/$arch}
export VESK_WIN32_STATE=${VESK_WIN32_BENCH_STATE:-$bin/wine-bench} VESK_WINE_ARCH=$arch
source "$root/bench/wine_env.sh"

win32_bench_env_start vesk2b.exe tcl86.dll bare_window.exe bare_tcl_window.exe
"$VESK_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f </dev/null >/dev/null 2>&1

app="$VESK_WIN32_STATE/bench"
rm -rf "$app"
mkdir -p "$app/default"
cp "$bin/vesk2b.exe" "$bin/tcl86.dll" "$bin/bare_window.exe" "$bin/bare_tcl_window.exe" "$app/"
cp "$root/tests/e2e/quit_at_once.tcl" "$app/default/vesk.tcl"

# Waits (up to 5 s) until no console process of an earlier run is left,
# then lets Wine and the display settle.
settle() {
    for _ in $(seq 250); do
        pgrep -f 'conhost\.exe' >/dev/null || break
        sleep 0.02
    done
    sleep 0.3
}

# Microseconds from start to exit of one program (a command line: program
# and options); fails on a non-zero exit code, so a program that breaks is
# not timed as fast.
time_run() {
    local start end status
    settle
    start=$(date +%s%N)
    # shellcheck disable=SC2086  # the command line is split on purpose
    (cd "$app" && timeout 60 "$VESK_WINE" $1 </dev/null >/dev/null 2>&1)
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

(cd "$app" && exec "$VESK_WINE" notepad.exe </dev/null >/dev/null 2>&1) &
holder=$!
for _ in $(seq 100); do
    pgrep -f 'explorer\.exe /desktop' >/dev/null && break
    sleep 0.1
done
pgrep -f 'explorer\.exe /desktop' >/dev/null || win32_fail "Wine's desktop process did not start"
sleep 0.5

labels=("bare window" "+ console" "+ Tcl interpreter" "+ console + Tcl interpreter" "vesk2b")
programs=("bare_window.exe" "bare_window.exe --console" "bare_tcl_window.exe --tcl"
          "bare_tcl_window.exe --tcl --console" "vesk2b.exe")
samples=()
for i in "${!programs[@]}"; do
    time_run "${programs[$i]}" >/dev/null
    samples[i]=""
done
for _ in $(seq "$runs"); do
    for i in $(shuf -e "${!programs[@]}"); do
        samples[i]+="$(time_run "${programs[$i]}") "
    done
done

# Median, first and third quartile (nearest rank) of microsecond samples.
quartiles() {
    tr ' ' '\n' | grep . | sort -n | awk '{ v[NR] = $1 }
        function at(q) { i = int(q * NR + 0.999999); return v[i < 1 ? 1 : i] }
        END { print at(0.5), at(0.25), at(0.75) }'
}

echo "$arch start-up under Wine, $runs runs each: median (quartiles) in ms, ratio of medians to the bare window"
read -r bare_median _ _ < <(quartiles <<<"${samples[0]}")
for i in "${!programs[@]}"; do
    read -r median q1 q3 < <(quartiles <<<"${samples[$i]}")
    awk -v label="${labels[$i]}" -v m="$median" -v q1="$q1" -v q3="$q3" -v b="$bare_median" 'BEGIN {
        printf "  %-28s %6.1f (%.1f-%.1f)  %.3f\n", label, m / 1000, q1 / 1000, q3 / 1000, m / b }'
done
read -r vesk_median _ _ < <(quartiles <<<"${samples[-1]}")
awk -v v="$vesk_median" -v b="$bare_median" -v arch="$arch" 'BEGIN {
    printf "%s start-up ratio: vesk2b / bare window %.3f (target <= 1.1)\n", arch, v / b }'

stop_desktop_holder
win32_bench_env_stop
exit 0

#!/bin/bash
# Soak of the menu bar on the real programs: bench/soak.tcl as the
# application script (10,000 rebuilds of a 150-item bar), in the gtk program
# on a private Xvfb display and in vesk2b.exe under Wine (the display and
# prefix of tests/runner.py). Prints the script's figures (resident
# memory every 1,000 rebuilds, time) and counts the system error reports on
# the console: a menu or item that could not be made (on Windows, for one,
# once a process holds its 10,000 USER objects) is reported there.
#
# Usage: bench/soak.sh [gtk] [win32]   (both by default; builds the presets)
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
platforms=("$@")
[ ${#platforms[@]} -gt 0 ] || platforms=(gtk win32)
work=$(mktemp -d)
xvfb=""
cleanup() {
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

report() {  # name, output file, exit code
    echo "== $1: exit code $3"
    grep '^soak:' "$2"
    local failures
    failures=$(grep -cE ' in ::menu::(menu|submenu|separator)$' "$2")
    echo "$1: system error reports of failed menu insertions: $failures"
}

for platform in "${platforms[@]}"; do
    cmake --preset "$platform" >/dev/null && cmake --build --preset "$platform" -j2 >/dev/null ||
        { echo "building $platform failed" >&2; exit 1; }
    app=$work/$platform
    mkdir -p "$app/default"
    cp "$root/bench/soak.tcl" "$app/default/vesk.tcl"
    case $platform in
    gtk)
        cp "$root/build/gtk/vesk2b" "$app/"
        exec 3>"$work/display"
        Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
        xvfb=$!
        exec 3>&-
        for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
        started=$(date +%s)
        DISPLAY=":$(cat "$work/display")" GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1 \
            "$app/vesk2b" >"$app/output.txt" 2>&1
        code=$?
        report gtk "$app/output.txt" "$code"
        echo "gtk: $(($(date +%s) - started)) s in all"
        ;;
    win32)
        export VESK_WIN32_STATE=$root/build/win32/wine
        bin=$root/build/win32
        source "$root/bench/wine_env.sh"
        win32_bench_env_start vesk2b.exe tcl86.dll 2>/dev/null
        cp "$root/build/win32/vesk2b.exe" "$root/build/win32/tcl86.dll" "$app/"
        started=$(date +%s)
        # On a pseudo-terminal the program's console is that terminal.
        (cd "$app" && script -q -e -c "stty -onlcr cols 1000; exec wine vesk2b.exe" "$app/console.log" \
            </dev/null >/dev/null 2>&1) &
        runner=$!
        # The resident memory of the Wine process as Linux sees it, every 5 s.
        while kill -0 $runner 2>/dev/null; do
            ps -C vesk2b.exe -o rss= >>"$app/rss.txt"
            sleep 5
        done
        wait $runner
        code=$?
        sed -e 's/\x1b\[[0-9;?]*[A-Za-z]//g' -e 's/\r//g' "$app/console.log" >"$app/output.txt"
        report win32 "$app/output.txt" "$code"
        echo "win32: resident memory of vesk2b.exe seen by ps every 5 s (kB): $(grep -o '[0-9]*' "$app/rss.txt" | tr '\n' ' ')"
        echo "win32: $(($(date +%s) - started)) s in all"
        win32_bench_env_stop
        ;;
    esac
done

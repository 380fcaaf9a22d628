#!/bin/bash
# Runs the conformance suite on one platform: copies the program into a fresh
# folder with suite.tcl as its default/vesk.tcl, starts it with the file
# names of names.txt on its command line, and passes when every line of
# results.txt is "ok", ::config::save ran once, the exit code is 0 and the
# console (standard error; under Wine the console the program opens) stayed
# empty: no script error reports and no GTK warnings.
#
# Usage: run.sh PLATFORM PROGRAM WORKDIR
#   headless     the headless program
#   gtk-x11      on Xvfb with no window manager
#   gtk-openbox  on Xvfb with openbox, a window manager that draws frames
#   gtk-wayland  on weston's headless backend, GDK_BACKEND=wayland, no X server
#   win32        under Wine, on the display and prefix of tests/win32's fixture
#                (VESK_WIN32_STATE)
set -u
platform=$1
program=$2
work=$3
here=$(cd "$(dirname "$0")" && pwd)
pids=()  # servers started here, stopped on exit by their process ids

fail() {
    echo "FAILED ($platform): $*" >&2
    exit 1
}
stop_servers() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null; done
}
trap stop_servers EXIT

wait_for() {  # wait_for SECONDS COMMAND...: polls until the command succeeds
    local seconds=$1
    shift
    for _ in $(seq $((seconds * 10))); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

start_xvfb() {
    # -displayfd: Xvfb picks a free display and writes its number.
    Xvfb -displayfd 3 -screen 0 1600x1200x24 -nolisten tcp 3>"$work/display" </dev/null >"$work/xvfb.log" 2>&1 &
    pids+=($!)
    wait_for 10 test -s "$work/display" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
    export DISPLAY=":$(cat "$work/display")"
}

rm -rf "$work"
mkdir -p "$work/app/default" "$work/runtime"
chmod 700 "$work/runtime"
cp "$program" "$work/app/"
if [ "$platform" = win32 ]; then
    # tcl86.dll, and the filelist extension with the kestrum.dll it links, when built.
    cp "$(dirname "$program")/tcl86.dll" "$work/app/"
    for dll in filelist.dll kestrum.dll; do
        if [ -f "$(dirname "$program")/$dll" ]; then cp "$(dirname "$program")/$dll" "$work/app/"; fi
    done
fi
cp "$here/suite.tcl" "$work/app/default/vesk.tcl"
cp "$here/names.txt" "$work/app/default/"
mapfile -t names <"$here/names.txt"
exe="$work/app/$(basename "$program")"
export VESK_CONFORMANCE=$platform
# GTK with no session around it: no settings daemon, no accessibility bus.
export HOME="$work" XDG_RUNTIME_DIR="$work/runtime" GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1 GTK_THEME=Adwaita LC_ALL=C.UTF-8
unset WAYLAND_DISPLAY GDK_BACKEND

case $platform in
headless) unset DISPLAY ;;
gtk-x11) start_xvfb ;;
gtk-openbox)
    start_xvfb
    openbox --sm-disable </dev/null >"$work/openbox.log" 2>&1 &
    pids+=($!)
    # Ready once it has claimed the screen as its window manager.
    wait_for 10 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"' ||
        fail "openbox did not start: $(cat "$work/openbox.log")"
    ;;
gtk-wayland)
    unset DISPLAY
    socket="vesk-conformance-$$"
    weston --backend=headless-backend.so --socket="$socket" --idle-time=0 </dev/null >"$work/weston.log" 2>&1 &
    pids+=($!)
    wait_for 10 test -S "$XDG_RUNTIME_DIR/$socket" || fail "weston did not start: $(cat "$work/weston.log")"
    export WAYLAND_DISPLAY=$socket GDK_BACKEND=wayland
    ;;
win32)
    source "$here/../win32/wine_env.sh"
    win32_env_use
    ;;
*) fail "unknown platform" ;;
esac

if [ "$platform" = win32 ]; then
    # On a pseudo-terminal (script(1)) Wine attaches the program's console to
    # the terminal, whose log is then the console's text (as tests/win32/e2e.sh).
    command="stty -onlcr cols 1000; exec $(printf '%q ' wine "$exe" "${names[@]}")"
    (cd "$work/app" && timeout 90 script -q -e -c "$command" "$work/console.raw" </dev/null >/dev/null 2>&1)
    code=$?
    sed -e '1{/^Script started/d}' -e '/^Script done/d' "$work/console.raw" |
        sed -e 's/\x1b\[[0-9;?]*[A-Za-z]//g' -e 's/\r//g' -e '/^$/d' >"$work/console.txt"
else
    (cd "$work/app" && timeout 60 "$exe" "${names[@]}" </dev/null >"$work/stdout.txt" 2>"$work/console.txt")
    code=$?
fi

if [ "$platform" = gtk-wayland ]; then
    # weston's headless backend offers no seat (no keyboard): GTK's own
    # gtk_init complains about that once, before the program does anything.
    sed -i -e "/gdk_seat_get_keyboard: assertion 'GDK_IS_SEAT (seat)' failed/d" -e '/^$/d' "$work/console.txt"
fi

results="$work/app/default/results.txt"
[ -f "$results" ] || fail "no results; console:"$'\n'"$(cat "$work/console.txt")"
cat "$results"
failed=$(grep -v -e '^ok ' -e '^checks done$' -e '^saved$' "$results")
[ -z "$failed" ] || fail "failing lines:"$'\n'"$failed"
grep -qx 'checks done' "$results" || fail "the checks did not run to the end"
[ "$(grep -cx saved "$results")" = 1 ] || fail "::config::save did not run exactly once"
[ "$code" = 0 ] || fail "exit code $code"
[ ! -s "$work/console.txt" ] || fail "console output:"$'\n'"$(cat "$work/console.txt")"
echo "conformance $platform: passed ($(grep -c '^ok ' "$results") checks)"

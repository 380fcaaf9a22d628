# Shared by the win32 end-to-end tests and the start-up benchmark (sourced by
# bash): one private Wine prefix and one Xvfb display, both under the build
# tree, started once for a whole test run.
#
# VESK_WIN32_STATE (default: <build>/wine) holds:
#   prefix/       the WINEPREFIX, made once with `wineboot -i`
#   display       the number of the running Xvfb display
#   xvfb.pid      its process id
# VESK_WINE_ARCH (default win32): the programs' and the prefix's architecture.

: "${VESK_WIN32_STATE:?VESK_WIN32_STATE must name the folder for the Wine prefix and display}"
VESK_WIN32_STATE=$(realpath -m "$VESK_WIN32_STATE")
export WINEPREFIX="$VESK_WIN32_STATE/prefix"
export VESK_WINE_ARCH=${VESK_WINE_ARCH:-win32}
export WINEARCH=$VESK_WINE_ARCH
# The loader: Debian's `wine` starts the 32-bit one whenever wine32 is
# installed, so a 64-bit prefix and its programs go to wine64 directly.
VESK_WINE=wine
if [ "$VESK_WINE_ARCH" = win64 ]; then VESK_WINE=$(command -v wine64 || echo /usr/lib/wine/wine64); fi
export VESK_WINE
export WINEDEBUG=-all
# Wine turns the Unix command line into the Windows one, and console output
# into terminal bytes, in the Unix locale's character set: UTF-8 carries
# every character of the tests.
export LANG=C.UTF-8
unset LC_ALL LC_CTYPE
# No Mono or Gecko installer prompts: nothing here needs .NET or HTML.
export WINEDLLOVERRIDES="mscoree,mshtml="
export SHELL=/bin/bash

win32_log() { echo "[$(date +%H:%M:%S)] $*" >&2; }

win32_fail() {
    echo "FAILED: $*" >&2
    exit 1
}

# Makes the prefix if needed, starts Xvfb and a persistent wineserver.
win32_env_start() {
    mkdir -p "$VESK_WIN32_STATE"
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        win32_log "creating the Wine prefix $WINEPREFIX (once)"
        rm -rf "$WINEPREFIX"
        DISPLAY= "$VESK_WINE" wineboot -i >"$VESK_WIN32_STATE/wineboot.log" 2>&1 || {
            cat "$VESK_WIN32_STATE/wineboot.log" >&2
            win32_fail "wineboot -i"
        }
        wineserver -w
    fi
    if [ -f "$VESK_WIN32_STATE/xvfb.pid" ] && kill -0 "$(cat "$VESK_WIN32_STATE/xvfb.pid")" 2>/dev/null; then
        win32_log "Xvfb already running on :$(cat "$VESK_WIN32_STATE/display")"
    else
        rm -f "$VESK_WIN32_STATE/display"
        # -displayfd picks a free display and writes its number to fd 3.
        setsid Xvfb -displayfd 3 -screen 0 1600x1200x24 -nolisten tcp \
            3>"$VESK_WIN32_STATE/display" </dev/null >"$VESK_WIN32_STATE/xvfb.log" 2>&1 &
        echo $! >"$VESK_WIN32_STATE/xvfb.pid"
        for _ in $(seq 100); do
            [ -s "$VESK_WIN32_STATE/display" ] && break
            sleep 0.1
        done
        [ -s "$VESK_WIN32_STATE/display" ] || win32_fail "Xvfb did not start: $(cat "$VESK_WIN32_STATE/xvfb.log")"
        win32_log "Xvfb on :$(cat "$VESK_WIN32_STATE/display")"
    fi
    export DISPLAY=":$(cat "$VESK_WIN32_STATE/display")"
    # A persistent wineserver keeps every program's start equally cheap. The
    # first program of a session also starts Wine's services and desktop
    # process; they live as long as the server, so they are started here,
    # away from any test's output pipe (CTest would wait for them to close it).
    wineserver -p </dev/null >/dev/null 2>&1 || true
    "$VESK_WINE" cmd.exe /c exit </dev/null >"$VESK_WIN32_STATE/session.log" 2>&1 || true
    # There is no window manager on the display: let X focus changes (from
    # xdotool) make the focused window the foreground window, as a click
    # would under a window manager. Without it keyboard input stays with the
    # window Wine activated last, e.g. a console window.
    "$VESK_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v UseTakeFocus /t REG_SZ /d N /f \
        </dev/null >>"$VESK_WIN32_STATE/session.log" 2>&1 || true
}

win32_env_stop() {
    wineserver -k >/dev/null 2>&1 || true
    if [ -f "$VESK_WIN32_STATE/xvfb.pid" ]; then
        kill "$(cat "$VESK_WIN32_STATE/xvfb.pid")" 2>/dev/null || true
        rm -f "$VESK_WIN32_STATE/xvfb.pid" "$VESK_WIN32_STATE/display"
    fi
}

# Joins the running environment (for a test or the benchmark).
win32_env_use() {
    [ -s "$VESK_WIN32_STATE/display" ] || win32_fail "no Xvfb display: run the environment set-up first"
    export DISPLAY=":$(cat "$VESK_WIN32_STATE/display")"
}

# Windows path of a Unix path.
win32_path() { "$VESK_WINE" winepath -w "$1" 2>/dev/null; }

# For the benchmarks: checks that the named files are in $bin, starts the
# display and the prefix unless they are running already, and uses them.
# win32_bench_env_stop stops them again only if this started them.
win32_bench_env_start() {
    local file
    for file in "$@"; do
        [ -f "$bin/$file" ] || win32_fail "$bin/$file is missing: build the win32 preset first"
    done
    win32_bench_started_env=0
    if [ ! -s "$VESK_WIN32_STATE/display" ] || ! kill -0 "$(cat "$VESK_WIN32_STATE/xvfb.pid" 2>/dev/null)" 2>/dev/null; then
        win32_env_start
        win32_bench_started_env=1
    fi
    win32_env_use
}

win32_bench_env_stop() {
    if [ "${win32_bench_started_env:-0}" -eq 1 ]; then win32_env_stop; fi
}

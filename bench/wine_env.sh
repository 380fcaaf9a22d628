# shellcheck shell=bash disable=SC2154  # root and bin come from the benchmark that sources this
# Shared by the Windows benchmarks (sourced by bash): the Wine prefix and Xvfb
# display of tests/runner.py in VESK_WIN32_STATE, for the architecture
# VESK_WINE_ARCH. win32_bench_env_start checks that the named files are in
# $bin, starts the environment unless it is running and joins it;
# win32_bench_env_stop stops it again only if this started it.
: "${VESK_WIN32_STATE:?VESK_WIN32_STATE must name the folder for the Wine prefix and display}"
export VESK_WIN32_STATE
win32_runner() { python3 "$root/tests/runner.py" "$@"; }

win32_fail() {
    echo "FAILED: $*" >&2
    exit 1
}

win32_bench_env_start() {
    local file
    for file in "$@"; do
        [ -f "$bin/$file" ] || win32_fail "$bin/$file is missing: build the ${VESK_WINE_ARCH:-win32} preset first"
    done
    win32_bench_started_env=0
    if ! kill -0 "$(cat "$VESK_WIN32_STATE/xvfb.pid" 2>/dev/null)" 2>/dev/null; then
        win32_runner wine-setup >&2 || win32_fail "the Wine environment did not start"
        win32_bench_started_env=1
    fi
    eval "$(win32_runner wine-exports)"
}

win32_bench_env_stop() {
    if [ "${win32_bench_started_env:-0}" -eq 1 ]; then win32_runner wine-cleanup; fi
}

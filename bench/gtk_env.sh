# Shared by the gtk benchmarks (sourced by bash): builds the gtk preset,
# checks for Xvfb and wish8.6, and starts a private Xvfb display for the
# script's run. Sets root, bin (build/gtk) and work (a temporary folder,
# removed at exit with the display).
set -eu
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bin=$root/build/gtk
(cd "$root" && cmake --preset gtk >/dev/null && cmake --build --preset gtk -j2 >/dev/null)
command -v Xvfb >/dev/null || { echo "Xvfb is not installed" >&2; exit 1; }
command -v wish8.6 >/dev/null || { echo "wish8.6 (tk8.6) is not installed" >&2; exit 1; }

work=$(mktemp -d)
# -displayfd: Xvfb picks a free display and writes its number.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")" GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1

#!/bin/bash
# Builds the gtk preset and starts the demo application (vesk2b with
# default/vesk.tcl). Arguments are passed on as files to open.
#
# With a display: the demo runs there until its window is closed.
# Without one (no DISPLAY): the demo runs on a private Xvfb display with its
# File menu open, a screenshot is saved to build/gtk/demo.png, and the demo
# is closed again (Alt+F4, which saves its configuration).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/install-deps.sh"
(cd "$root" && cmake --preset gtk >/dev/null && cmake --build --preset gtk -j2 >/dev/null)
exe=$root/build/gtk/vesk2b

if [ -n "${DISPLAY:-}" ]; then
    exec "$exe" "$@"
fi

for tool in Xvfb xdotool import; do
    command -v "$tool" >/dev/null || { echo "$tool is needed to run without a display (apt-get install xvfb xdotool imagemagick)" >&2; exit 1; }
done
number=$((400 + $$ % 400))
Xvfb ":$number" -screen 0 1024x768x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null' EXIT
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$number" ] && break; sleep 0.1; done
export DISPLAY=":$number" GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1

"$exe" "$@" &
demo=$!
window=""
for _ in $(seq 100); do
    window=$(xdotool search --onlyvisible --pid "$demo" --name vesk2b 2>/dev/null | head -1) && [ -n "$window" ] && break
    sleep 0.1
done
[ -n "$window" ] || { echo "the demo window did not appear" >&2; kill "$demo"; exit 1; }
xdotool windowmove --sync "$window" 40 30
xdotool windowfocus --sync "$window"
xdotool key --delay 80 F10
sleep 0.5
shot=$root/build/gtk/demo.png
import -window root -crop 640x360+30+20 +repage "$shot"
xdotool key --delay 80 Escape Escape alt+F4
wait "$demo"
echo "screenshot of the demo with its File menu open: $shot"

#!/bin/bash
# Benchmarks of the Linux desktop program, on a private Xvfb display, side
# by side (median wall time of N runs, alternating the programs):
#  1. start -> window shown -> exit: vesk2b with a script that destroys its
#     window at once, bench/gtk_bare (a bare GTK 3 program that shows one
#     window and destroys it), and wish8.6 doing the same (target: vesk2b at
#     most 1.1x the bare GTK program);
#  2. the same runs with a 10,000-item menu bar (one submenu of 10,000 items,
#     each with a Ctrl shortcut shown in its label, captions through a
#     translation procedure) built before the window goes: vesk2b against
#     wish8.6 (target: at most 1.0x wish). The extra time over run 1 is the
#     cost of the bar.
#
# Usage: bench/gtk_startup.sh [runs]   (builds the gtk preset first)
set -eu
runs=${1:-15}
source "$(dirname "$0")/gtk_env.sh"

# vesk2b finds its script at default/vesk.tcl beside the executable (the
# resolved path of /proc/self/exe): one copy of the executable per script.
make_vesk() {  # folder, script text
    mkdir -p "$work/$1/default"
    cp "$bin/vesk2b" "$work/$1/"
    printf '%s\n' "$2" > "$work/$1/default/vesk.tcl"
}
common='namespace eval ::screen {}; namespace eval ::config {}; namespace eval ::locale {}
proc ::locale::translate {text} { return $text }
proc ::screen::doresize {area} {}
proc ::config::save {} {}'
make_vesk plain "$common
::screen::destroywnd \$parentwindow"
make_vesk bar "$common
::menu::createmenu {
    ::menu::submenu File {
        for {set i 0} {\$i < 10000} {incr i} {
            ::menu::menu -ishortcut [expr {0x4000 | (0x41 + \$i % 26)}] \"Item \$i\" {puts chosen}
        }
    }
}
::screen::destroywnd \$parentwindow"
cat > "$work/wish_plain.tcl" <<'TCL'
wm title . "no title"
wm geometry . 640x480
update
destroy .
TCL
cat > "$work/wish_bar.tcl" <<'TCL'
wm title . "no title"
wm geometry . 640x480
proc translate {text} { return $text }
menu .bar
menu .bar.file -tearoff 0
.bar add cascade -label [translate File] -menu .bar.file
for {set i 0} {$i < 10000} {incr i} {
    .bar.file add command -label [translate "Item $i"] -accelerator "[translate Ctrl+][format %c [expr {0x41 + $i % 26}]]" -command {puts chosen}
}
. configure -menu .bar
update
destroy .
TCL

now_ns() { date +%s%N; }
declare -A times
run() {  # name, command...
    local name=$1; shift
    local start end
    start=$(now_ns)
    "$@" >/dev/null 2>&1 || { echo "$name failed" >&2; exit 1; }
    end=$(now_ns)
    times[$name]+="$(( (end - start) / 1000 )) "
}
median_ms() {  # microsecond figures -> median in ms
    tr ' ' '\n' <<<"$1" | grep -v '^$' | sort -n | awk '{a[NR]=$1} END {m = NR % 2 ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2; printf "%.1f", m / 1000}'
}

# Warm-up, then alternate.
"$work/plain/vesk2b" >/dev/null 2>&1; "$bin/bench/gtk_bare" >/dev/null 2>&1; wish8.6 "$work/wish_plain.tcl" >/dev/null 2>&1
for _ in $(seq "$runs"); do
    run vesk_plain "$work/plain/vesk2b"
    run gtk_bare "$bin/bench/gtk_bare"
    run wish_plain wish8.6 "$work/wish_plain.tcl"
    run vesk_bar "$work/bar/vesk2b"
    run wish_bar wish8.6 "$work/wish_bar.tcl"
done

vp=$(median_ms "${times[vesk_plain]}"); gb=$(median_ms "${times[gtk_bare]}"); wp=$(median_ms "${times[wish_plain]}")
vb=$(median_ms "${times[vesk_bar]}"); wb=$(median_ms "${times[wish_bar]}")
echo "median of $runs runs, ms (start -> window shown -> exit)"
printf '%-34s %10s %10s %10s\n' "" vesk2b "bare GTK" wish8.6
printf '%-34s %10s %10s %10s\n' "start-up" "$vp" "$gb" "$wp"
printf '%-34s %10s %10s %10s\n' "start-up with 10,000-item bar" "$vb" "-" "$wb"
printf '%-34s %10s %10s %10s\n' "  of which the bar" "$(awk "BEGIN{printf \"%.1f\", $vb-$vp}")" "-" "$(awk "BEGIN{printf \"%.1f\", $wb-$wp}")"
echo
awk "BEGIN{printf \"start-up: vesk2b / bare GTK = %.2f (target <= 1.10)\n\", $vp/$gb}"
awk "BEGIN{printf \"10,000-item bar, whole run: vesk2b / wish = %.2f (target <= 1.00)\n\", $vb/$wb}"
awk "BEGIN{printf \"10,000-item bar, the bar alone: vesk2b / wish = %.2f\n\", ($vb-$vp)/($wb-$wp)}"

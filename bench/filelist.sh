#!/bin/bash
# Benchmarks of the filelist extension on GTK, on a private Xvfb display,
# median of N runs:
#  1. 10,000 files shown in a list, from the first stat to the end of the
#     list's first draw: the extension's rows and GtkTreeView
#     (build/gtk/bench/filelist_bench) against wish8.6 doing the same in a
#     ttk::treeview with `file stat` and `clock format` (target: at most 0.5x
#     wish);
#  2. the demo's start-up (start -> window shown -> exit) with filelist.so
#     beside the program and without it (target: at most 1.1x).
#
# Usage: bench/filelist.sh [runs]   (builds the gtk preset first)
set -eu
runs=${1:-11}
source "$(dirname "$0")/gtk_env.sh"
export GTK_THEME=Adwaita HOME=$work

mkdir "$work/files"
(cd "$work/files" && for i in $(seq 10000); do printf '%*s' $((i % 5000)) '' >"file-$i.txt"; done)

cat >"$work/list.tcl" <<'TCL'
wm geometry . 640x480
ttk::treeview .list -columns {size modified}
.list heading #0 -text Name
.list heading size -text Size
.list heading modified -text Modified
pack .list -fill both -expand 1
update
set files [lsort [glob -directory [lindex $argv 0] *]]
set start [clock microseconds]
set rows {}
foreach file $files {
    file stat $file info
    lappend rows [file tail $file] [list $info(size) [clock format $info(mtime) -format "%Y-%m-%d %H:%M"]]
}
set read [clock microseconds]
foreach {name values} $rows { .list insert {} end -text $name -values $values }
set filled [clock microseconds]
update
set shown [clock microseconds]
puts [format "stat and format %.1f ms, fill %.1f ms, first draw %.1f ms, whole %.1f ms" \
    [expr {($read - $start) / 1000.0}] [expr {($filled - $read) / 1000.0}] \
    [expr {($shown - $filled) / 1000.0}] [expr {($shown - $start) / 1000.0}]]
destroy .
TCL

# The demo, ending as soon as its script has run, with and without the extension.
for kind in with without; do
    mkdir -p "$work/demo-$kind/default"
    cp "$bin/vesk2b" "$work/demo-$kind/"
    { cat "$root/default/vesk.tcl"; echo '::screen::destroywnd $parentwindow'; } >"$work/demo-$kind/default/vesk.tcl"
done
cp "$bin/filelist.so" "$bin/libkestrum.so.1" "$work/demo-with/"

declare -A figures
note() { figures[$1]+="$2 "; }
median() {
    tr ' ' '\n' <<<"$1" | grep -v '^$' | sort -n | awk '{a[NR]=$1} END {m = NR % 2 ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2; printf "%.1f", m}'
}
# "stat and format A ms, fill B ms, first draw C ms, whole D ms" -> four figures
take() {
    local prefix=$1 line=$2
    read -r a b c d < <(sed -E 's/[^0-9.]+/ /g' <<<"$line")
    note "$prefix.read" "$a"; note "$prefix.fill" "$b"; note "$prefix.draw" "$c"; note "$prefix.whole" "$d"
}
now_us() { echo $(( $(date +%s%N) / 1000 )); }
timed() {  # name, command...
    local name=$1 start
    shift
    start=$(now_us)
    "$@" >/dev/null 2>&1 || { echo "$name failed" >&2; exit 1; }
    note "$name" "$(awk "BEGIN{print ($(now_us) - $start) / 1000}")"
}

"$bin/bench/filelist_bench" "$work/files" >/dev/null; wish8.6 "$work/list.tcl" "$work/files" >/dev/null
for _ in $(seq "$runs"); do
    take vesk "$("$bin/bench/filelist_bench" "$work/files" | tail -n 1)"
    take wish "$(wish8.6 "$work/list.tcl" "$work/files")"
    timed demo.with "$work/demo-with/vesk2b"
    timed demo.without "$work/demo-without/vesk2b"
done

echo "10,000 files in a list, median of $runs runs, ms"
printf '%-20s %12s %12s\n' "" filelist "wish8.6 ttk"
for part in read fill draw whole; do
    label=$(case $part in read) echo "stat and format";; fill) echo "fill";; draw) echo "first draw";; whole) echo "whole";; esac)
    printf '%-20s %12s %12s\n' "$label" "$(median "${figures[vesk.$part]}")" "$(median "${figures[wish.$part]}")"
done
vw=$(median "${figures[vesk.whole]}"); ww=$(median "${figures[wish.whole]}")
awk "BEGIN{printf \"whole: filelist / wish = %.2f (target <= 0.50)\n\", $vw/$ww}"
echo
dw=$(median "${figures[demo.with]}"); do=$(median "${figures[demo.without]}")
echo "demo start-up (start -> window shown -> exit), median of $runs runs: with filelist $dw ms, without $do ms"
awk "BEGIN{printf \"with / without = %.2f (target <= 1.10)\n\", $dw/$do}"

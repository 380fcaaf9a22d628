# The conformance suite: run by every real vesk2b program as its
# default/vesk.tcl, it checks the script interface from inside. run.py starts
# the program with the file names of names.txt and VESK_CONFORMANCE naming the
# platform (headless, gtk-x11, gtk-openbox, gtk-wayland or win32).
#
# Each check is one line:  check NAME SCRIPT EXPECTED ?PLATFORM EXPECTED REASON ...?
# SCRIPT runs at global level. EXPECTED is a dict: code (ok or error, default
# ok), result (exact), errorCode (exact), errorInfo (the trail's beginning);
# keys left out are not compared. A platform that cannot do what Windows does
# has its own EXPECTED, with the reason next to it.
#
# The host's event loop runs no script during start-up, so the checks run in
# order, then the script destroys the window; the host hands over the files
# and calls ::config::save, which writes the last lines of results.txt (each
# line as soon as it is written: line-buffered).
namespace eval ::conf {
    variable folder [file dirname [info script]]
    variable platform $::env(VESK_CONFORMANCE)
    variable files {}
    variable saves 0
    variable view ""
    variable results [open [file join $folder results.txt] a]
    fconfigure $results -translation lf -buffering line
}
foreach space {::screen ::locale ::vesk ::config} { namespace eval $space {} }

# The resize script's procedure records its argument, leaves an errorInfo and
# errorCode of its own behind (as any script that catches an error does) and
# returns a result of its own: none of the three may reach the command that a
# resize interrupts.
proc ::screen::doresize {clientArea} {
    lappend ::conf::resizes $clientArea
    if {$::conf::view ne ""} { ::filelist::place $::conf::view $clientArea }
    catch {error "caught inside doresize" "doresize trail" DORESIZE}
    return "doresize result"
}
proc ::locale::translate {text} {
    lappend ::conf::translated $text
    return $text
}
proc ::vesk::filedialog {mode files} { lappend ::conf::files [list $mode $files] }
proc ::config::save {} {
    incr ::conf::saves
    set channel [open [file join $::conf::folder names.txt] r]
    set expected [lmap name [split [string trimright [::read $channel] \n] \n] {list merge [list $name]}]
    close $channel
    lset expected 0 0 open  ;# the first file opens, the others merge
    check files {set ::conf::files} [list result $expected]
    check saves {set ::conf::saves} {result 1}
    puts $::conf::results "saved"
}

# The client areas the resize script saw during a check, each written as
# "client" when it is the client area the window has now.
proc ::conf::resizes {} {
    set now [::screen::getclientrect $::parentwindow]
    return [lmap area $::conf::resizes {expr {$area eq $now ? "client" : $area}}]
}

proc check {name script expected args} {
    set note ""
    foreach {on alternative reason} $args {
        if {$on eq $::conf::platform} {
            set expected $alternative
            set note " ($on: $reason)"
        }
    }
    set ::conf::resizes {}
    set ::conf::translated {}
    set code [catch {uplevel #0 $script} result]
    set got [dict create code [expr {$code == 0 ? "ok" : "error"}] result $result \
        errorCode [expr {[info exists ::errorCode] ? $::errorCode : ""}] \
        errorInfo [expr {[info exists ::errorInfo] ? $::errorInfo : ""}]]
    set wrong [lmap {key value} [dict merge {code ok} $expected] {
        set have [dict get $got $key]
        if {$key eq "errorInfo" ? [string equal -length [string length $value] $have $value] : $have eq $value} continue
        list $key $have expected $value
    }]
    puts $::conf::results [expr {$wrong eq {} ? "ok $name$note" : "FAIL $name$note: [join $wrong {; }]"}]
}

set shape [list "bounds rect must containt exactly 4 integer values"]
set notInMenu "not valid here - must be called from within createmenu"

# Start-up: the window's handle is linked read-only.
check startup.parentwindow-read-only {set parentwindow 1} {code error result {can't set "parentwindow": linked variable is read-only}}
# A bounds change while the script runs: the resize script runs inside the call, with the new client area.
check geometry.setbounds-runs-resize {list [::screen::setbounds $parentwindow {120 90 520 410}] [::conf::resizes]} {result {{} client}}
check geometry.bounds-read-back {::screen::getbounds $parentwindow} {result {120 90 520 410}} \
    gtk-wayland {result {0 0 520 410}} "a Wayland client cannot place its own window, nor learn where it is"
check geometry.client-area {lassign [::screen::getclientrect $parentwindow] l t w h; list $l $t [expr {$w > 400 && $w <= 520}] [expr {$h > 300 && $h <= 410}]} {result {0 0 1 1}}
# The frame a window manager adds is in the bounds from the start, before it has framed the window: a place
# saved from getbounds and given back to setbounds at the next start keeps the window's size.
check geometry.frame-known-at-start {lassign [::screen::getbounds $parentwindow] - - w h; lassign [::screen::getclientrect $parentwindow] - - cw ch; list [expr {$w > $cw}] [expr {$h > $ch}]} {result {1 1}} \
    gtk-x11 {result {0 0}} "without a window manager nothing frames the window"
check geometry.same-bounds-no-resize {set b [::screen::getbounds $parentwindow]; ::screen::setbounds $parentwindow $b; list [expr {[::screen::getbounds $parentwindow] eq $b}] [::conf::resizes]} {result {1 {}}}
check geometry.move-only-no-resize {::screen::setbounds $parentwindow {200 150 520 410}; list [::screen::getbounds $parentwindow] [::conf::resizes]} {result {{200 150 520 410} {}}} \
    gtk-wayland {result {{0 0 520 410} {}}} "a Wayland client cannot place its own window"
check geometry.resize-keeps-state {set ::errorInfo before; set ::errorCode BEFORE; list [::screen::setbounds $parentwindow {100 80 600 450}] [::conf::resizes] $::errorInfo $::errorCode} {result {{} client before BEFORE}}
# Sizes beyond the screen, or below nothing, are limited quietly, as Windows limits them (there: to the
# screen plus the frame, and to the smallest frame that has room for the caption).
check geometry.huge-size-is-limited {::screen::setbounds $parentwindow {0 0 50000 50000}; lassign [::screen::getbounds $parentwindow] x y w h; list $x $y [expr {$w >= 1000 && $w < 2000}] [expr {$h >= 600 && $h < 2000}] [::conf::resizes]} {result {0 0 1 1 client}}
check geometry.negative-size-is-limited {::screen::setbounds $parentwindow {10 20 -5 -7}; lassign [::screen::getbounds $parentwindow] x y w h; list [expr {$w > 0 && $w < 300}] [expr {$h > 0 && $h < 300}] [::conf::resizes]} {result {1 1 client}}
check geometry.client-never-negative {lassign [::screen::getclientrect $parentwindow] x y w h; expr {$w >= 0 && $h >= 0}} {result 1}
check geometry.back-to-normal {::screen::setbounds $parentwindow {100 80 600 450}; list [lrange [::screen::getbounds $parentwindow] 2 3] [::conf::resizes]} {result {{600 450} client}}

# Menus. The first bar shrinks the client area: the resize inside it leaves the body's result.
check menu.first-bar-keeps-result {set ::errorInfo before; set ::errorCode BEFORE; list [::menu::createmenu {::menu::menu Open a; set x done}] [::conf::resizes] $::errorInfo $::errorCode} {result {done client before BEFORE}}
check menu.ids-and-actions {::menu::createmenu {::menu::menu Open a; ::menu::submenu Recent {::menu::menu First b}; ::menu::menu Quit q}; list [::conf::resizes] [lsort -stride 2 [array get ::menu::actions]]} {result {{} {40000 a 40001 b 40002 q}}}
check menu.translation-order {::menu::createmenu {::menu::menu -ishortcut [expr {0xE000 | 0x4F}] Open a; ::menu::submenu Sub {::menu::menu Inner b; ::menu::separator}; ::menu::menu -- -x c}; set ::conf::translated} {result {Open Shift+ Ctrl+ Alt+ Inner Sub -x}}
check menu.result-is-last-translation {::menu::createmenu {::menu::menu -ishortcut 16463 Open a}} {result Ctrl+}
# A bar without items takes no room: the client area grows back.
check menu.empty-bar {list [::menu::createmenu {}] [::conf::resizes]} {result {{} client}}
check menu.item-outside {::menu::menu Open a} {code error result "not valid here - must be called from within createmenu"}
check menu.separator-outside {set x kept; ::menu::separator} [list code error result {} errorCode [list $notInMenu]]
check menu.createmenu-args {::menu::createmenu} {code error result {wrong # args: should be "::menu::createmenu code"}}
check menu.submenu-args {::menu::submenu x} {code error result {wrong # args: should be "::menu::submenu caption code"}}
check menu.bad-option {::menu::createmenu {::menu::menu -x a}} {code error result {bad options "-x": must be -ishortcut or --} errorInfo "bad options \"-x\": must be -ishortcut or --\n    while executing\n\"::menu::menu -x a\"\n    (while creating menu)\n    invoked from within\n\"::menu::createmenu {::menu::menu -x a}\""}
check menu.option-without-value {::menu::createmenu {::menu::menu -ishortcut}} {code error result {wrong # args: should be "::menu::menu ?options? caption action"}}
check menu.shortcut-not-integer {::menu::createmenu {::menu::menu -i x a b}} {code error result {expected integer but got "x"}}
check menu.failing-submenu {::menu::createmenu {::menu::submenu S {error inner}}} {code error result inner errorInfo "inner\n    while executing\n\"error inner\"\n    (within submenu)\n    invoked from within\n\"::menu::submenu S {error inner}\"\n    (while creating menu)"}
check menu.leftover-takes-items {catch {::menu::createmenu {::menu::menu A a; error boom}}; ::menu::menu B b; set ::menu::actions(40001)} {result b}
check menu.nested-createmenu-refused {::menu::createmenu {::menu::createmenu {}}} {code error result {not valid here - a menu is being built}}
check menu.bar-after-leftover {list [::menu::createmenu {::menu::menu Open {set ::ran 1}}] [::conf::resizes] $::menu::actions(40000)} {result {Open client {set ::ran 1}}}

# Window commands: results and each failure on its own channel.
check window.title {::screen::setwindowtext $parentwindow "conformance {x} \[y\] \$z \u00e9"} {result {}}
check window.unknown-title {::screen::setwindowtext 99999 lost} {result {}}
check window.unknown-setbounds {::screen::setbounds 99999 {1 2 3 4}} {result {}}
check window.unknown-client {set x kept; ::screen::getclientrect 99999} {code error result {} errorCode {{GetClientRect failed}}}
check window.unknown-bounds {::screen::getbounds 99999} {code error errorCode {{GetWindowRect failed}}}
check window.unknown-destroy {::screen::destroywnd 99999} {code error result {failed to destroy window}}
check window.args-title {::screen::setwindowtext $parentwindow} {code error result {wrong # args: should be "::screen::setwindowtext hWnd text"} errorCode {TCL WRONGARGS}}
check window.args-title-more {::screen::setwindowtext $parentwindow a b} {code error result {wrong # args: should be "::screen::setwindowtext hWnd text"}}
check window.args-destroy {::screen::destroywnd} {code error result {wrong # args: should be "::screen::destroywnd hWnd"}}
check window.args-client {::screen::getclientrect 1 2} {code error result {wrong # args: should be "::screen::getclientrect hWnd"}}
check window.args-bounds {::screen::getbounds} {code error result {wrong # args: should be "::screen::getbounds hWnd"}}
check window.args-bounds-more {::screen::getbounds $parentwindow $parentwindow} {code error result {wrong # args: should be "::screen::getbounds hWnd"}}
check window.args-as-invoked {namespace eval ::screen { getbounds }} {code error result {wrong # args: should be "getbounds hWnd"}}
check window.args-setbounds {::screen::setbounds $parentwindow} {code error result {wrong # args: should be "::screen::setbounds hWnd boundsRect"}}
check window.args-timer {::vesk::querytimer now} {code error result {wrong # args: should be "::vesk::querytimer"}}
check window.handle-not-integer {::screen::getbounds main} {code error result {expected integer but got "main"} errorInfo "expected integer but got \"main\"\n    (while retrieving window handle)\n"}
check window.title-handle {::screen::setwindowtext main x} {code error errorInfo "expected integer but got \"main\"\n    (while retrieving window handle)\n"}
check window.destroy-handle {::screen::destroywnd 1.5} {code error errorInfo "expected integer but got \"1.5\"\n    (while retrieving window handle)\n"}
check window.client-handle {::screen::getclientrect {}} {code error errorInfo "expected integer but got \"\"\n    (while retrieving window handle)\n"}
check window.setbounds-handle {::screen::setbounds x {1 2 3 4}} {code error errorInfo "expected integer but got \"x\"\n    (while retrieving window handle)\n"}
check window.handle-hex {expr {[::screen::getbounds [format 0x%x $parentwindow]] eq [::screen::getbounds $parentwindow]}} {result 1}
check window.bounds-not-list {::screen::setbounds $parentwindow "1 \{2 3 4"} {code error result {unmatched open brace in list} errorInfo "unmatched open brace in list\n    (while retrieving bounds rect)\n"}
check window.bounds-three {::screen::setbounds $parentwindow {1 2 3}} [list code error result {} errorCode $shape]
check window.bounds-five {::screen::setbounds $parentwindow {1 2 3 4 5}} [list code error result {} errorCode $shape]
check window.bounds-empty {::screen::setbounds $parentwindow {}} [list code error result {} errorCode $shape]
check window.bounds-first-not-integer {::screen::setbounds $parentwindow {a 2 3 4}} [list code error result {expected integer but got "a"} errorCode $shape]
check window.bounds-not-integer {::screen::setbounds $parentwindow {1 2 x y}} [list code error result {expected integer but got "x"} errorCode $shape]
check window.failed-bounds-stay {lrange [::screen::getbounds $parentwindow] 2 3} {result {600 450}}

# The clock: a 32-bit millisecond count that advances with time.
check timer.integer {string is integer -strict [::vesk::querytimer]} {result 1}
check timer.advances {set t [::vesk::querytimer]; after 300; expr {[::vesk::querytimer] - $t >= 250 && [::vesk::querytimer] - $t < 5000}} {result 1}

# The file dialog command's argument errors show no dialog.
check filedlg.no-filter {::vesk::filedlg -save} {code error result {wrong # args: should be "::vesk::filedlg filter"}}
check filedlg.bad-option {::vesk::filedlg -bad x} {code error result {bad options "-bad": must be -noplaces, -addtorecent, -title, -save, -open, or --}}
check filedlg.title-without-value {::vesk::filedlg -title} {code error result {wrong # args: should be "::vesk::filedlg filter"}}

# Native code in the window: the program names itself, and the filelist extension, where it
# sits beside the program (gtk and win32), puts a list view into the client area.
check native.executable {list [file tail [info nameofexecutable]] [file isfile [info nameofexecutable]]} {result {vesk2b 1}} \
    win32 {result {vesk2b.exe 1}} "Windows programs end in .exe"
set library [file join [file dirname [info nameofexecutable]] filelist[info sharedlibextension]]
if {[file exists $library]} {
    set sizes [file join $::conf::folder sizes.txt]
    set channel [open $sizes w]; puts -nonewline $channel [string repeat x 1234]; close $channel
    set missing [file join $::conf::folder missing.txt]
    check filelist.load {load $library; set ::conf::view [::filelist::create $parentwindow]} {result filelist1}
    check filelist.unknown-window {::filelist::create 99999} {code error result {filelist: no window 99999 with a client area in this program} errorCode FILELIST}
    check filelist.args {::filelist::place $::conf::view} {code error result {wrong # args: should be "::filelist::place view bounds"}}
    check filelist.unknown-view {::filelist::rows nosuch} {code error result {filelist: no view "nosuch"}}
    check filelist.fills-client-area {::filelist::place $::conf::view [::screen::getclientrect $parentwindow]; ::screen::setbounds $parentwindow {90 70 500 400}; expr {[::filelist::bounds $::conf::view] eq [::screen::getclientrect $parentwindow]}} {result 1}
    check filelist.fills-after-bar {::menu::createmenu {}; ::menu::createmenu {::menu::menu Open a}; list [llength [::conf::resizes]] [lindex [::conf::resizes] end] [expr {[::filelist::bounds $::conf::view] eq [::screen::getclientrect $parentwindow]}]} {result {2 client 1}}
    check filelist.bad-bounds-change-nothing {set before [::filelist::bounds $::conf::view]; list [catch {::filelist::place $::conf::view {1 2 -3 4}} message] $message [expr {[::filelist::bounds $::conf::view] eq $before}]} {result {1 {filelist: bad bounds "1 2 -3 4": want left top width height, integers, width and height not negative} 1}}
    check filelist.rows {::filelist::files $::conf::view [list $sizes $missing]; lmap row [::filelist::rows $::conf::view] {lrange $row 0 1}} {result {{sizes.txt 1,234} {missing.txt {}}}}
    check filelist.unreadable-row-says-so {lindex [::filelist::rows $::conf::view] 1 2} {result {cannot read: No such file or directory}}
    check filelist.paths-and-selection {list [expr {[::filelist::files $::conf::view] eq [list $sizes $missing]}] [::filelist::selection $::conf::view]} {result {1 {}}}
}

# The end: destroying the main window ends the loop; the handle names no window afterwards.
check end.destroy {set ::errorCode BEFORE; list [::screen::destroywnd $parentwindow] $::errorCode} {result {{} BEFORE}}
check end.handle-gone {::screen::getbounds $parentwindow} {code error errorCode {{GetWindowRect failed}}}
check end.destroy-again {::screen::destroywnd $parentwindow} {code error result {failed to destroy window}}
if {$::conf::view ne ""} {
    check end.view-gone {::filelist::rows $::conf::view} {code error result {filelist: no view "filelist1"}}
    set ::conf::view ""
}
puts $::conf::results "checks done"

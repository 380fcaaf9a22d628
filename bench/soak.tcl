# Soak: the menu bar rebuilt 10,000 times (VESK_SOAK_REBUILDS), 150 items
# each: ten submenus of thirteen command items (four with a Ctrl shortcut)
# and a separator, so every rebuild makes eleven menus and destroys the
# eleven of the bar before. Prints the resident memory of the process every
# 1,000 rebuilds. A menu or item that cannot be made shows up as a system
# error report on the console ("... in ::menu::menu").
namespace eval ::screen {}
namespace eval ::config {}
namespace eval ::locale {}
proc ::locale::translate {text} { return $text }
proc ::screen::doresize {area} {}
proc ::config::save {} { puts "soak: saved" }

set rebuilds 10000
if {[info exists ::env(VESK_SOAK_REBUILDS)]} { set rebuilds $::env(VESK_SOAK_REBUILDS) }

# VmRSS of this process. Not under Wine: there the server opens files, so
# /proc/self would be the server (bench/soak.sh reads the figure with ps).
proc rss {} {
    if {$::tcl_platform(platform) eq "windows"} { return "see below" }
    if {[catch {open /proc/self/status} channel]} { return "unknown" }
    set text [read $channel]
    close $channel
    if {[regexp {VmRSS:\s+(\d+)} $text -> kilobytes]} { return "$kilobytes kB" }
    return "unknown"
}

proc bar {} {
    ::menu::createmenu {
        for {set s 0} {$s < 10} {incr s} {
            ::menu::submenu "Menu $s" {
                for {set i 0} {$i < 13} {incr i} {
                    set code [expr {$i < 4 ? 0x4000 | (0x41 + ($s * 4 + $i) % 26) : 0}]
                    ::menu::menu -ishortcut $code "Item $s.$i" {puts chosen}
                }
                ::menu::separator
            }
        }
    }
}

bar
set start [::vesk::querytimer]
puts "soak: rebuild 1: rss [rss]"
flush stdout
for {set n 2} {$n <= $rebuilds} {incr n} {
    bar
    if {$n % 1000 == 0} {
        puts "soak: rebuild $n: rss [rss], [expr {[::vesk::querytimer] - $start}] ms"
        flush stdout
    }
}
# The last bar stands; one more menu with an item can still be made.
::menu::createmenu { ::menu::submenu Last { ::menu::menu Item {} } }
puts "soak: done: $rebuilds rebuilds, [llength [array names ::menu::actions]] actions"
flush stdout
::screen::destroywnd $parentwindow

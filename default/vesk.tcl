# Application script: the host evaluates this file at start-up.

namespace eval ::screen {}
namespace eval ::locale {}
namespace eval ::vesk {}
namespace eval ::config {}

proc ::locale::translate {text} { return $text }

proc ::screen::doresize {clientArea} {
    puts "resized: $clientArea"
}

proc ::vesk::filedialog {mode files} {
    puts "$mode: [lindex $files 0]"
}

proc ::config::save {} {}

::menu::createmenu {
    ::menu::submenu File {
        ::menu::menu -ishortcut [expr {0x8000 | 0x73}] Exit {::screen::destroywnd $parentwindow}
    }
}

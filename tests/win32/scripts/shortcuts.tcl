# Shortcuts through the accelerator table: Ctrl+O, Ctrl+Shift+S and Alt+X
# (a system key), each recording its action; Alt+X closes the window.
source [file join [file dirname [info script]] common.tcl]
::screen::setwindowtext $parentwindow "vesk e2e shortcuts"
::menu::createmenu {
    ::menu::submenu File {
        ::menu::menu -ishortcut 16463 Open {::e2e::record action open}
        ::menu::menu -ishortcut [expr {0x4000 | 0x2000 | 0x53}] "Save as" {::e2e::record action saveas}
        ::menu::separator
        ::menu::menu -ishortcut [expr {0x8000 | 0x58}] Exit {
            ::e2e::record action exit
            ::screen::destroywnd $parentwindow
        }
    }
}
::e2e::record ready

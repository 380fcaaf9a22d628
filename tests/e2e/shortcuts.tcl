# Each shortcut records its action; Alt+X also closes the window. The title
# and captions, written literally (the script is UTF-8), are read back.
set ::e2e::title "vesk e2e shortcuts Grüße Ж 日本"
::e2e::record literal [string equal $::e2e::title "vesk e2e shortcuts Gr\u00fc\u00dfe \u0416 \u65e5\u672c"]
::screen::setwindowtext $parentwindow $::e2e::title
::menu::createmenu {
    ::menu::submenu "Datei Ж" {
        ::menu::menu -ishortcut 16463 Open {::e2e::record action open}
        ::menu::menu -ishortcut [expr {0x4000 | 0x2000 | 0x53}] "Speichern unter… 日本" {::e2e::record action saveas}
        ::menu::separator
        ::menu::menu -ishortcut [expr {0x8000 | 0x58}] Exit {
            ::e2e::record action exit
            ::screen::destroywnd $parentwindow
        }
    }
}
load [file join [file dirname [info script]] .. readback.dll] Readback
::e2e::record title [::e2e::windowtext $parentwindow]
::e2e::record menu [::e2e::menutext $parentwindow 0] [::e2e::menutext $parentwindow 0 1]
::e2e::record comctl [::e2e::comctl]
::e2e::record ready

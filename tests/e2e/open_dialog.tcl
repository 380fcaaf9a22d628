# Ctrl+O records what ::vesk::filedlg returned; Ctrl+B records the main
# window's frame, on which the dialog must be centred.
::screen::setwindowtext $parentwindow "vesk e2e open dialog"
::screen::setbounds $parentwindow {40 60 900 700}
::menu::createmenu {
    ::menu::submenu File {
        ::menu::menu -ishortcut 16463 Open {
            set code [catch {::vesk::filedlg -title "e2e pick" "Text files|*.txt|All files|*.*"} result]
            ::e2e::record dialog $code [llength $result] {*}$result
        }
        ::menu::menu -ishortcut [expr {0x4000 | 0x42}] Bounds ::e2e::recordBounds
    }
}
::e2e::record ready

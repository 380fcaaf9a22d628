# Ctrl+B records the frame again after the driver has moved the window.
::screen::setwindowtext $parentwindow "vesk e2e bounds"
::screen::setbounds $parentwindow {150 100 700 500}
::e2e::recordBounds
::e2e::record client {*}[::screen::getclientrect $parentwindow]
::menu::createmenu {
    ::menu::menu -ishortcut [expr {0x4000 | 0x42}] Bounds ::e2e::recordBounds
}
::e2e::record ready

# Ctrl+E runs an action that fails; Ctrl+K records that the loop goes on. A
# submenu built outside any menu bar has nowhere to go.
::screen::setwindowtext $parentwindow "vesk e2e script error"
# A caption that cannot be translated: its notice carries the error trail,
# whose letters lie in and beyond the ANSI code page. Notices are answered
# and recorded in notices.txt (readback.dll).
load [file join [file dirname [info script]] .. readback.dll] Readback
::e2e::answernotices [file join [file dirname [info script]] notices.txt]
proc ::locale::translate {text} {
    if {$text eq "Untranslatable"} { error "keine Übersetzung für Ж 日本" }
    return $text
}
::menu::createmenu {
    ::menu::menu Untranslatable {}
    ::menu::menu -ishortcut [expr {0x4000 | 0x45}] Fail {error "e2e action failed"}
    ::menu::menu -ishortcut [expr {0x4000 | 0x4B}] Alive {::e2e::record alive}
}
# The script's own standard output reaches the console letter for letter.
puts "e2e puts Grüße Ж 日本"
::menu::submenu Orphan {}
::e2e::record ready
# The message holds letters beyond the ANSI code page: the console shows them.
proc ::e2e::stop {} { error "e2e script stopped here Grüße Ж 日本" }
::e2e::stop
::e2e::record unreachable

# The window is destroyed here already, so the loop ends on the quit message
# as soon as the host's calls for the command line are done. Each call also
# records whether the file exists and whether the name equals one written
# here, with letters in and beyond the ANSI code page.
set ::e2e::known [list "Grüße.txt" "Жёлудь 日本語.txt"]
proc ::vesk::filedialog {mode files} {
    set name [lindex $files 0]
    ::e2e::record filedialog $mode [llength $files] $name [file exists $name] [expr {$name in $::e2e::known}]
}
::screen::setwindowtext $parentwindow "vesk e2e command line"
::screen::destroywnd $parentwindow
::e2e::record loaded

# Files named on the command line: the host calls ::vesk::filedialog after
# this script has run. The window is destroyed here already, so the loop
# ends on the quit message as soon as those calls are done.
source [file join [file dirname [info script]] common.tcl]
::screen::setwindowtext $parentwindow "vesk e2e command line"
::screen::destroywnd $parentwindow
::e2e::record loaded

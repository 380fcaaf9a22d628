# The demo as shipped (demo.tcl beside this file), with every list change and
# console line recorded; the rows are read back from the list-view control.
load [file join [file dirname [info script]] .. readback.dll] Readback
source [file join [file dirname [info script]] demo.tcl]
rename ::demo::updatetitle ::demo::shippedUpdatetitle
proc ::demo::updatetitle {} {
    ::demo::shippedUpdatetitle
    ::e2e::record rows [join [::e2e::listrows $::parentwindow] ,]
}
rename ::demo::say ::demo::shippedSay
proc ::demo::say {text} {
    ::demo::shippedSay $text
    ::e2e::record say $text
}
::e2e::record ready

# The demo as shipped (demo.tcl beside this file), with every list change and
# console line recorded; the rows are read back from the list-view control.
load [file join [file dirname [info script]] .. readback.dll] Readback
source [file join [file dirname [info script]] demo.tcl]
proc ::e2e::recordRows {args} { ::e2e::record rows [join [::e2e::listrows $::parentwindow] ,] }
trace add execution ::demo::updatetitle leave ::e2e::recordRows
trace add execution ::demo::say leave {apply {{call args} {::e2e::record say [lindex $call 1]}}}
::e2e::record ready

# The start of every end-to-end application script (cases.py puts it before
# the case's own): the host's calls into the script are written to record.txt
# beside it as they happen (line-buffered), one line each, fields separated by '|'.
foreach space {::e2e ::screen ::locale ::vesk ::config} { namespace eval $space {} }
set ::e2e::channel [open [file join [file dirname [info script]] record.txt] a]
fconfigure $::e2e::channel -translation lf -encoding utf-8 -buffering line

proc ::e2e::record {args} { puts $::e2e::channel [join $args |] }
proc ::locale::translate {text} { return $text }
proc ::screen::doresize {clientArea} { ::e2e::record resize {*}$clientArea }
proc ::config::save {} { ::e2e::record save }
proc ::e2e::recordBounds {} { ::e2e::record bounds {*}[::screen::getbounds $::parentwindow] }

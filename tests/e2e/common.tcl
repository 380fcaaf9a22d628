# The start of every end-to-end application script (cases.py puts it before
# the case's own): the host's calls into the script are written to record.txt
# beside it, one line each, fields separated by '|'.
foreach space {::e2e ::screen ::locale ::vesk ::config} { namespace eval $space {} }
set ::e2e::recordFile [file join [file dirname [info script]] record.txt]

proc ::e2e::record {args} {
    set channel [open $::e2e::recordFile a]
    fconfigure $channel -translation lf -encoding utf-8
    puts $channel [join $args |]
    close $channel
}

proc ::locale::translate {text} { return $text }
proc ::screen::doresize {clientArea} { ::e2e::record resize {*}$clientArea }
proc ::config::save {} { ::e2e::record save }
proc ::e2e::recordBounds {} { ::e2e::record bounds {*}[::screen::getbounds $::parentwindow] }

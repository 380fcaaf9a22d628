# The start of every end-to-end application script (cases.py puts it before
# the case's own): every call the host makes into the script is written to
# record.txt beside it, one line each, fields separated by '|'.
namespace eval ::e2e {
    variable recordFile [file join [file dirname [info script]] record.txt]
}
foreach space {::screen ::locale ::vesk ::config} { namespace eval $space {} }

proc ::e2e::record {args} {
    variable recordFile
    set channel [open $recordFile a]
    fconfigure $channel -translation lf -encoding utf-8
    puts $channel [join $args |]
    close $channel
}

proc ::locale::translate {text} { return $text }
proc ::screen::doresize {clientArea} { ::e2e::record resize {*}$clientArea }
proc ::vesk::filedialog {mode files} { ::e2e::record filedialog $mode [llength $files] [lindex $files 0] }
proc ::config::save {} { ::e2e::record save }
proc ::e2e::recordBounds {} { ::e2e::record bounds {*}[::screen::getbounds $::parentwindow] }

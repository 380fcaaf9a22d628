# Loading kestrum into an interpreter succeeds and changes nothing visible:
# commands in every namespace, namespaces, packages, global variables.
# Usage: tclsh8.6 tcl_load.tcl <path of the library>

proc allCommands {ns} {
    set result [lsort [info commands ${ns}::*]]
    foreach child [namespace children $ns] { lappend result {*}[allCommands $child] }
    return $result
}

proc snapshot {} {
    list commands [allCommands ::] namespaces [lsort [namespace children ::]] \
        packages [lsort [package names]] globals [lsort [info globals]]
}

proc fail {message} {
    puts $message
    exit 1
}

# Runs inside a procedure, so the test itself adds no global variable.
proc main {library} {
    set before [snapshot]
    if {[catch {load $library} message]} { fail "load failed: $message" }
    set after [snapshot]

    if {[lsearch -exact -index 0 [info loaded] $library] < 0} {
        fail "library not among \[info loaded\]: [info loaded]"
    }
    foreach {key old} $before {key2 new} $after {
        if {$old ne $new} { fail "$key changed by load:\n  before: $old\n  after:  $new" }
    }
    puts "loaded $library; interpreter unchanged"
}

main [file normalize [lindex $argv 0]]

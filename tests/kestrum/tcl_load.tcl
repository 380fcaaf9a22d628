# Loading kestrum into an interpreter succeeds and changes nothing visible:
# commands in every namespace, namespaces, packages, global variables.
# Usage: tclsh8.6 tcl_load.tcl <path of the library>

proc allCommands {ns} {
    set result [lsort [info commands ${ns}::*]]
    foreach child [namespace children $ns] {
        lappend result {*}[allCommands $child]
    }
    return $result
}

proc snapshot {} {
    return [list \
        commands [allCommands ::] \
        namespaces [lsort [namespace children ::]] \
        packages [lsort [package names]] \
        globals [lsort [info globals]]]
}

# Runs inside a procedure, so the test itself adds no global variable.
proc main {library} {
    set before [snapshot]
    if {[catch {load $library} message]} {
        puts "load failed: $message"
        exit 1
    }
    set after [snapshot]

    if {[lsearch -exact -index 0 [info loaded] $library] < 0} {
        puts "library not among \[info loaded\]: [info loaded]"
        exit 1
    }
    foreach {key old} $before {key2 new} $after {
        if {$old ne $new} {
            puts "$key changed by load:\n  before: $old\n  after:  $new"
            exit 1
        }
    }
    puts "loaded $library; interpreter unchanged"
}

main [file normalize [lindex $argv 0]]

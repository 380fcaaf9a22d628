# vesk2b demo application.
#
# A small file-list viewer that uses every host command: a File menu with
# the open and save dialogs and a list of recent files, a View menu that
# sizes and centres the window, a Language menu that rebuilds the bar in
# English, German or French, and Help -> About with the uptime. The window
# title lists the open files, and when the filelist extension sits beside the
# program, a native list view in the window shows them with their sizes and
# times (Delete removes the selected ones). Window bounds, language and recent
# files are kept in a per-user configuration file.
#
# The host gives this script a bare interpreter: no package loading, no
# library procedures, only `load` for native code. Every action is also written as one line to standard
# output, so that what the program does can be followed from a terminal.

namespace eval ::screen {}
namespace eval ::locale {}
namespace eval ::vesk {}
namespace eval ::config {}

namespace eval ::demo {
    variable files {}          ;# full paths of the open files
    variable view {}           ;# the filelist view, when the extension is there
    variable recent {}         ;# most recent first
    variable language en
    variable bounds {}         ;# last known outer bounds of the main window
    variable screen {1280 1024};# size used by "Centre on screen" (configurable)
    variable started [::vesk::querytimer]
    variable maxrecent 8
    variable languages {en English de Deutsch fr Fran\u00e7ais}
    variable sizes {Small {480 360} Medium {800 600} Large {1024 768}}
}

fconfigure stdout -buffering line
# A Windows console takes every character as it is (Tcl's "unicode"
# channel); elsewhere standard output is a byte stream, written as UTF-8.
if {[fconfigure stdout -encoding] ne "unicode"} {
    fconfigure stdout -encoding utf-8
}

proc ::demo::say {text} {
    puts stdout $text
}

# ---------------------------------------------------------------- language

namespace eval ::demo {
    variable texts {
        de {
            &File &Datei  "&Open\u2026" "\u00d6&ffnen\u2026"  "&Merge\u2026" "&Zusammenf\u00fchren\u2026"
            "Save &As\u2026" "Speichern &unter\u2026"  &Recent "&Zuletzt ge\u00f6ffnet"  (empty) (leer)
            E&xit &Beenden  &View &Ansicht  &Small &Klein  &Medium &Mittel  &Large &Gro\u00df
            "&Centre on screen" "Auf dem Bildschirm &zentrieren"  &Language &Sprache
            &Help &Hilfe  "&About" "\u00dc&ber"  Shift+ Umschalt+  Ctrl+ Strg+  Alt+ Alt+
            Open \u00d6ffnen  Merge Zusammenf\u00fchren  "Save As" "Speichern unter"
            "Text files" Textdateien  "All files" "Alle Dateien"  "up for" "l\u00e4uft seit"
            "&Remove selected" "Auswahl &entfernen"  "List &timings" "&Zeiten der Liste"
        }
        fr {
            &File &Fichier  "&Open\u2026" "&Ouvrir\u2026"  "&Merge\u2026" "&Fusionner\u2026"
            "Save &As\u2026" "Enregistrer &sous\u2026"  &Recent "&R\u00e9cents"  (empty) (vide)
            E&xit &Quitter  &View &Affichage  &Small &Petite  &Medium &Moyenne  &Large &Grande
            "&Centre on screen" "&Centrer \u00e0 l'\u00e9cran"  &Language &Langue
            &Help &Aide  "&About" "\u00c0 &propos"  Shift+ Maj+  Ctrl+ Ctrl+  Alt+ Alt+
            Open Ouvrir  Merge Fusionner  "Save As" "Enregistrer sous"
            "Text files" "Fichiers texte"  "All files" "Tous les fichiers"  "up for" "actif depuis"
            "&Remove selected" "&Retirer la s\u00e9lection"  "List &timings" "&Temps de la liste"
        }
    }
}

# Called by the host for every caption and shortcut word of the menu bar.
proc ::locale::translate {text} {
    set table [dict get $::demo::texts]
    if {[dict exists $table $::demo::language $text]} {
        return [dict get $table $::demo::language $text]
    }
    return $text
}

proc ::demo::setlanguage {code} {
    variable language
    variable languages
    if {![dict exists $languages $code]} return
    set language $code
    buildmenu
    say "language: $code"
}

# ---------------------------------------------------------------- menu bar

proc ::demo::shortcut {key args} {
    set code [scan $key %c]
    foreach modifier $args {
        set code [expr {$code | [dict get {Shift 0x2000 Ctrl 0x4000 Alt 0x8000} $modifier]}]
    }
    return $code
}

proc ::demo::buildmenu {} {
    variable recent
    variable languages
    variable sizes
    ::menu::createmenu {
        ::menu::submenu &File {
            ::menu::menu -ishortcut [shortcut O Ctrl] "&Open\u2026" ::demo::open
            ::menu::menu "&Merge\u2026" ::demo::merge
            ::menu::menu -ishortcut [shortcut S Shift Ctrl] "Save &As\u2026" ::demo::saveas
            ::menu::submenu &Recent {
                if {[llength $recent] == 0} {
                    ::menu::menu (empty) {::demo::say "recent: empty"}
                }
                foreach path $recent {
                    # File names are shown as they are: '&' is doubled so it is no mnemonic.
                    ::menu::menu -- [string map {& &&} [file tail $path]] [list ::demo::openrecent $path]
                }
            }
            if {$::demo::view ne ""} {
                # 0x2E: the Delete key
                ::menu::menu -ishortcut 0x2E "&Remove selected" ::demo::removeselected
            }
            ::menu::separator
            ::menu::menu -ishortcut [expr {0x8000 | 0x73}] E&xit ::demo::exit
        }
        ::menu::submenu &View {
            foreach {name size} $sizes {
                ::menu::menu &$name [list ::demo::resizeto $name]
            }
            ::menu::separator
            ::menu::menu "&Centre on screen" ::demo::centre
            ::menu::separator
            ::menu::submenu &Language {
                foreach {code name} $languages {
                    ::menu::menu $name [list ::demo::setlanguage $code]
                }
            }
        }
        ::menu::submenu &Help {
            ::menu::menu "&About" ::demo::about
            if {$::demo::view ne ""} {
                ::menu::menu "List &timings" ::demo::timings
            }
        }
    }
}

# ---------------------------------------------------------------- files

proc ::demo::updatetitle {} {
    variable files
    set title vesk2b
    if {[llength $files] > 0} {
        set names {}
        foreach path $files {
            lappend names [file tail $path]
        }
        append title " - " [join $names ", "]
    }
    ::screen::setwindowtext $::parentwindow $title
    showfiles
}

# ---------------------------------------------------------------- list view

# The filelist extension, when it sits beside the program: a native list of
# the open files in the window's client area.
proc ::demo::loadlist {} {
    variable view
    set library [file join [file dirname [info nameofexecutable]] filelist[info sharedlibextension]]
    if {![file exists $library]} {
        return
    }
    if {[catch {
        load $library
        set view [::filelist::create $::parentwindow]
        ::filelist::place $view [::screen::getclientrect $::parentwindow]
        ::filelist::focus $view
    } message]} {
        set view ""
        say "no list view: $message"
    }
}

proc ::demo::showfiles {} {
    variable view
    variable files
    if {$view ne ""} {
        ::filelist::files $view $files
        # What the list shows, read back from it.
        set names {}
        foreach row [::filelist::rows $view] {
            lappend names [lindex $row 0]
        }
        say "list: [join $names {, }]"
    }
}

proc ::demo::removeselected {} {
    variable view
    variable files
    set selected [::filelist::selection $view]
    set kept {}
    foreach path $files {
        if {$path ni $selected} {
            lappend kept $path
        }
    }
    set files $kept
    updatetitle
    say "removed: [llength $selected]"
}

# kestrum's report of the list's refresh times, on the console.
proc ::demo::timings {} {
    say "list timings:"
    ::filelist::timings
}

proc ::demo::remember {path} {
    variable recent
    variable maxrecent
    set index [lsearch -exact $recent $path]
    if {$index >= 0} {
        set recent [lreplace $recent $index $index]
    }
    set recent [lrange [linsert $recent 0 $path] 0 [expr {$maxrecent - 1}]]
}

# The host calls this for the files named on the command line: "open" for
# the first, "merge" for every further one. Each list holds full or
# relative paths.
proc ::vesk::filedialog {mode paths} {
    set before $::demo::recent
    foreach path $paths {
        set full [file normalize $path]
        if {$mode eq "open"} {
            set ::demo::files [list $full]
            set mode merge
        } elseif {$full ni $::demo::files} {
            lappend ::demo::files $full
        }
        ::demo::remember $full
        ::demo::say "file: $full"
    }
    ::demo::updatetitle
    if {$before ne $::demo::recent} {
        ::demo::buildmenu
    }
}

# The dialog gives one full path, or the folder and then the names.
proc ::demo::chosenpaths {selection} {
    if {[llength $selection] <= 1} {
        return $selection
    }
    set folder [lindex $selection 0]
    set paths {}
    foreach name [lrange $selection 1 end] {
        lappend paths [file join $folder $name]
    }
    return $paths
}

proc ::demo::filter {} {
    return "[::locale::translate {Text files}]|*.txt;*.log|[::locale::translate {All files}]|*"
}

proc ::demo::choose {mode} {
    set title [::locale::translate [dict get {open Open merge Merge} $mode]]
    if {[catch {::vesk::filedlg -open -title $title [filter]} selection]} {
        say "$mode: $selection"
        return
    }
    ::vesk::filedialog $mode [chosenpaths $selection]
}

proc ::demo::open {} { choose open }
proc ::demo::merge {} { choose merge }

proc ::demo::openrecent {path} {
    say "recent: $path"
    ::vesk::filedialog open [list $path]
}

# Save As writes the list of open files, one full path a line.
proc ::demo::saveas {} {
    variable files
    if {[catch {::vesk::filedlg -save -title [::locale::translate {Save As}] [filter]} selection]} {
        say "save as: $selection"
        return
    }
    set path [lindex $selection 0]
    if {[catch {
        set channel [::open $path w]
        fconfigure $channel -encoding utf-8
        foreach file $files {
            puts $channel $file
        }
        close $channel
    } message]} {
        say "save as failed: $message"
        return
    }
    remember $path
    buildmenu
    say "saved as: $path"
}

proc ::demo::exit {} {
    variable bounds
    # The window is gone once the configuration is saved: keep its place now.
    if {![catch {::screen::getbounds $::parentwindow} now]} {
        set bounds $now
    }
    say "exit"
    ::screen::destroywnd $::parentwindow
}

# ---------------------------------------------------------------- view

proc ::screen::doresize {clientArea} {
    if {![catch {::screen::getbounds $::parentwindow} now]} {
        set ::demo::bounds $now
    }
    if {$::demo::view ne ""} {
        ::filelist::place $::demo::view $clientArea
    }
    ::demo::say "resize: $clientArea"
}

# The host runs the resize script inside ::screen::setbounds, at global
# level, so ::screen::doresize sees the new client area before this returns.
proc ::demo::resizeto {name} {
    variable sizes
    lassign [::screen::getbounds $::parentwindow] left top
    lassign [dict get $sizes $name] width height
    say "view: $name"
    ::screen::setbounds $::parentwindow [list $left $top $width $height]
}

# There is no host command for the screen size: it comes from the
# configuration file ("screen {width height}"), 1280x1024 unless set there.
proc ::demo::centre {} {
    variable screen
    variable bounds
    lassign [::screen::getbounds $::parentwindow] left top width height
    lassign $screen screenWidth screenHeight
    set left [expr {($screenWidth - $width) / 2}]
    set top [expr {($screenHeight - $height) / 2}]
    ::screen::setbounds $::parentwindow [list $left $top $width $height]
    set bounds [list $left $top $width $height]
    say "centre: $bounds"
}

proc ::demo::about {} {
    variable started
    # querytimer is a signed 32-bit millisecond count; the difference wraps the same way.
    set elapsed [expr {(([::vesk::querytimer] - $started) & 0xFFFFFFFF) / 1000.0}]
    set text "vesk2b demo, [::locale::translate {up for}] [format %.1f $elapsed] s"
    ::screen::setwindowtext $::parentwindow $text
    say "about: $text"
}

# ---------------------------------------------------------------- configuration

proc ::demo::configfile {} {
    global env tcl_platform
    if {$tcl_platform(platform) eq "windows" && [info exists env(APPDATA)] && $env(APPDATA) ne ""} {
        return [file join $env(APPDATA) vesk2b vesk.conf]
    }
    if {[info exists env(XDG_CONFIG_HOME)] && [file pathtype $env(XDG_CONFIG_HOME)] eq "absolute"} {
        return [file join $env(XDG_CONFIG_HOME) vesk2b vesk.conf]
    }
    if {[info exists env(HOME)] && $env(HOME) ne ""} {
        return [file join $env(HOME) .config vesk2b vesk.conf]
    }
    return ""
}

proc ::demo::isbounds {value} {
    if {[catch {llength $value} count] || $count != 4} {
        return 0
    }
    foreach number $value {
        if {![string is integer -strict $number]} {
            return 0
        }
    }
    lassign $value left top width height
    return [expr {$width >= 100 && $height >= 80 && $width <= 16384 && $height <= 16384}]
}

# The file is a dictionary, read as data and never evaluated. Whatever is
# missing, unreadable or malformed is left at its default.
proc ::demo::loadconfig {} {
    variable language
    variable languages
    variable recent
    variable bounds
    variable screen
    variable maxrecent
    set path [configfile]
    if {$path eq "" || ![file readable $path]} {
        return
    }
    if {[catch {
        set channel [::open $path r]
        fconfigure $channel -encoding utf-8
        set data [read $channel 65536]
        close $channel
        dict size $data
    } message]} {
        say "config ignored: $message"
        return
    }
    if {[dict exists $data language] && [dict exists $languages [dict get $data language]]} {
        set language [dict get $data language]
    }
    if {[dict exists $data recent] && ![catch {llength [dict get $data recent]}]} {
        set recent [lrange [dict get $data recent] 0 [expr {$maxrecent - 1}]]
    }
    if {[dict exists $data screen]} {
        set value [dict get $data screen]
        if {![catch {llength $value} count] && $count == 2
                && [string is integer -strict [lindex $value 0]] && [string is integer -strict [lindex $value 1]]} {
            set screen $value
        }
    }
    if {[dict exists $data bounds] && [isbounds [dict get $data bounds]]} {
        set bounds [dict get $data bounds]
    }
    say "config loaded: $path"
}

# Called by the host once, after the window has gone.
proc ::config::save {} {
    set path [::demo::configfile]
    if {$path eq ""} {
        ::demo::say "config not saved: no home folder"
        return
    }
    set data [dict create language $::demo::language recent $::demo::recent screen $::demo::screen]
    if {[::demo::isbounds $::demo::bounds]} {
        dict set data bounds $::demo::bounds
    }
    # A failure to save must not keep the program from ending.
    if {[catch {
        file mkdir [file dirname $path]
        set channel [::open $path.new w]
        fconfigure $channel -encoding utf-8
        dict for {key value} $data {
            puts $channel [list $key $value]
        }
        close $channel
        file rename -force $path.new $path
    } message]} {
        ::demo::say "config not saved: $message"
        return
    }
    ::demo::say "config saved: $path"
}

# ---------------------------------------------------------------- start

::demo::loadconfig
::demo::loadlist
# The saved place first: installing the first bar changes the client area,
# and the resize script that runs for it records the window's place.
if {[llength $::demo::bounds] == 4} {
    ::screen::setbounds $::parentwindow $::demo::bounds
    ::demo::say "bounds restored: $::demo::bounds"
} elseif {![catch {::screen::getbounds $::parentwindow} ::demo::bounds]} {
    # the system's choice stands
}
::demo::buildmenu
::demo::updatetitle
::demo::say "ready: language $::demo::language"

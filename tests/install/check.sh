#!/bin/bash
# Checks of the installed and packaged programs, one case per run:
#   tree         cmake --install into a fresh prefix: the exact file list, the library's soname, the
#                desktop entry, the shipped script; the component kestrum alone
#   program      the installed vesk2b, started through its bin/ link, finds and runs the script beside the
#                real file (a probe that also runs the reference's recipe for Tcl's own library), and the
#                reference's example extension
#   consumers    a program outside the tree builds against the installed kestrum with find_package and
#                with pkg-config, and runs; tclsh8.6 loads it with `package require kestrum`
#   deb          the .debs (built and linted) and CPack's .tar.gz: contents, Depends
#   deb-install  apt installs the .debs: man pages, the probe through the desktop entry, package require
#                kestrum; purge leaves nothing
#   zip          CPack's Windows .zip unpacked into an empty folder: contents, the probe in vesk2b.exe
#                under Wine; callers linked with kestrum's import libraries: MinGW's (run under Wine) and
#                kestrum.lib (lld-link; the imports it made)
#   installer    the Windows installer under 64-bit Wine: silent install, files, Start menu, uninstall
#                entry, the probe; silent uninstall leaves nothing
# Usage: check.sh CASE BUILD_DIR SOURCE_DIR WORK_DIR
# Environment: VESK_LIBDIR, VESK_CONFIG (lower-case build type); for zip the Wine environment of
# tests/runner.py. The cases that start a program run on a display of their own (tests/runner.py on-display).
set -euo pipefail
case_name=$1 build=$2 source=$3 work=$4
prefix=$work/prefix
libdir=${VESK_LIBDIR:-lib}
config=${VESK_CONFIG:-relwithdebinfo}
packages=(vesk2b vesk2b-dev libkestrum1 libkestrum-dev)
record=  # "record" where the program is a Windows one

fail() { echo "FAILED: $*" >&2; exit 1; }
expect() {  # what, found, expected
    [ "$2" = "$3" ] || fail "$1 differs from the expected (< expected, > found):"$'\n'"$(diff <(echo "$3") <(echo "$2"))"
}
# Runs a command (log name, command...) with its output in a log, shown if it fails.
logged() { "${@:2}" >"$work/$1.log" 2>&1 || fail "$1: $(cat "$work/$1.log")"; }
# Runs tests/install/consumer/main.cpp built for kestrum (what, command...).
consumer_runs() { "${@:2}" </dev/null 2>&1 | tr -d '\r' | grep -x "kestrum consumer: ok, 3 runs" || fail "$1"; }

# Every file and link under a folder, links with their targets.
listing() { (cd "$1" && find . \( -type f -printf '%P\n' \) -o \( -type l -printf '%P -> %l\n' \) | sort); }
# The same from a verbose tar listing (dpkg-deb -c's too), each path without its top folder (a pattern).
tar_listing() { awk -v top="$1" '$1 !~ /^d/ { $1=$2=$3=$4=$5=""; sub("^ +" top, ""); print }' | sort; }
deb_listing() { for deb in "$@"; do dpkg-deb -c "$deb"; done | tar_listing '[.]/'; }

linux_files() {
    printf '%s\n' 'bin/vesk2b -> ../libexec/vesk2b/vesk2b' share/doc/vesk2b/{LICENSE,script-interface.md} \
        share/man/man1/vesk2b.1 share/man/man3/kestrum.3 include/kestrum/kestrum{,_scope}.h include/vesk2b/native.h \
        "$libdir"/cmake/kestrum/kestrum{Config,ConfigVersion,Targets-"$config",Targets}.cmake "$libdir"/pkgconfig/kestrum.pc \
        "$libdir/libkestrum.so -> libkestrum.so.1" "$libdir/libkestrum.so.1 -> libkestrum.so.1.0.0" "$libdir"/libkestrum.so.1.0.0 \
        lib/tcltk/kestrum1.0.0/pkgIndex.tcl libexec/vesk2b/{default/vesk.tcl,filelist.so,vesk2b} share/pkgconfig/vesk2b-native.pc \
        share/applications/vesk2b.desktop share/icons/hicolor/{{16x16,32x32,48x48,128x128,256x256}/apps/vesk2b.png,scalable/apps/vesk2b.svg} | sort
}

# The reference's recipe for Tcl's own library with its checks ("tcl"), or their expected output ("text").
recipe_block() {
    sed -n '/^### Tcl.s own library/,/^## /{/^```'"$1"'$/,/^```$/p}' "$source/docs/script-interface.md" | sed '1d;$d'
}

# A script that shows the bare interpreter, runs the recipe and names the library it found, reports where
# it runs from and what it is handed (with $record, loads the shipped kestrum.dll), and closes the window.
# With $record its puts writes record.txt beside it (a Windows program has no standard output to read).
probe_script() {
    [ -z "$record" ] || printf '%s\n' 'set record [open [file join [file dirname [info script]] record.txt] w]' \
        'fconfigure $record -encoding utf-8' 'rename puts tcl_puts' \
        'proc puts {text} { tcl_puts $::record $text; flush $::record }'
    printf '%s\n' 'puts "bare: [info exists ::tcl_library] [catch {clock format 0}] [catch {package require msgcat}]"' \
        "$(recipe_block tcl)" 'puts "library: $::tcl_library"' 'puts "script: [info script]"' \
        'namespace eval ::vesk {}' 'proc ::vesk::filedialog {mode files} { puts "$mode: [lindex $files 0]" }' \
        'namespace eval ::config { proc save {} { puts saved; flush stdout } }'
    [ -z "$record" ] || printf '%s\n' 'load [file join [file dirname [info script]] .. kestrum.dll] Kestrum' \
        'puts "loaded: [lindex [info loaded] 0 1]"'
    echo '::screen::destroywnd $parentwindow'
}

# Puts a script (its text) in place of the program's ($script) and runs the program (command...) from a folder
# of its own, so that it finds the script from its own path; prints what the script printed (or recorded).
script_output() {
    echo "$1" >"$script"
    (cd "$work/elsewhere" && timeout 90 "${@:2}" </dev/null 2>"$work/program.err") \
        || fail "${*:2}: exit code $?: $(cat "$work/program.err")"
    [ -z "$record" ] || { tr -d '\r' <"${script%/*}/record.txt" && rm "${script%/*}/record.txt"; }
}
# Runs the probe, handed "a b.txt" (Tcl's library and the script's path it should print, command...).
expect_probe() {
    local out
    out=$(script_output "$(probe_script)" "${@:3}" "a b.txt")
    expect "the probe" "$out" "$(printf 'bare: 0 1 1\n%s\nlibrary: %s\nscript: %s\n' "$(recipe_block text)" "$1" "$2"
        [ -z "$record" ] || echo "loaded: Kestrum"
        printf 'open: a b.txt\nsaved')"
}

case $case_name in
tree | deb | zip | installer) rm -rf "$work" && mkdir -p "$work/elsewhere" ;;  # where programs run from
program | consumers) [ -d "$prefix" ] || fail "no installed prefix (case tree)" ;;
esac
case $case_name in
tree)
    logged install cmake --install "$build" --prefix "$prefix"
    expect "installed prefix" "$(listing "$prefix")" "$(linux_files)"
    objdump -p "$prefix/$libdir/libkestrum.so.1.0.0" | grep -Eq 'SONAME +libkestrum\.so\.1$' || fail "libkestrum's soname is not libkestrum.so.1"
    desktop-file-validate "$prefix/share/applications/vesk2b.desktop" || fail "desktop entry"
    cmp "$source/default/vesk.tcl" "$prefix/libexec/vesk2b/default/vesk.tcl" || fail "installed script"
    file -L "$prefix/share/icons/hicolor/48x48/apps/vesk2b.png" | grep -q 'PNG image data, 48 x 48' || fail "48x48 icon"
    logged install-kestrum cmake --install "$build" --prefix "$work/kestrum-only" --component kestrum
    expect "component kestrum" "$(listing "$work/kestrum-only")" "$(linux_files | grep kestrum)"
    echo "install tree: passed"
    ;;
program)
    script=$(realpath "$prefix/libexec/vesk2b")/default/vesk.tcl
    trap 'cp "$source/default/vesk.tcl" "$script"' EXIT
    expect_probe /usr/share/tcltk/tcl8.6 "$script" "$prefix/bin/vesk2b"

    # The reference's example extension, built against the installed header,
    # puts its label into the installed program's window and refuses tclsh.
    sed -n '/^\/\* label.c:/,/^```$/p' "$source/docs/script-interface.md" | sed '$d' >"$work/label.c"
    # shellcheck disable=SC2046
    gcc -Wall -Werror -shared -fPIC -o "$work/label.so" "$work/label.c" -DUSE_TCL_STUBS -ltclstub8.6 \
        $(PKG_CONFIG_PATH="$prefix/share/pkgconfig" pkg-config --cflags vesk2b-native tcl) \
        $(pkg-config --cflags --libs gtk+-3.0) || fail "building the reference's extension"
    out=$(script_output "$(printf '%s\n' 'namespace eval ::config {proc save {} {}}' "load $work/label.so" \
        'puts [::label::show $parentwindow Hello]' 'catch {::label::show 5 x} message; puts $message' \
        '::screen::destroywnd $parentwindow')" "$prefix/bin/vesk2b")
    expect "the extension in the program" "$out" $'1\nlabel: no window 5 with a client area'
    expect "the extension in tclsh" "$(echo "catch {load $work/label.so} message; puts \$message" | tclsh8.6)" "label: not a vesk2b program"
    echo "installed program: passed"
    ;;
consumers)
    rm -rf "$work/consumer-cmake" "$work/consumer-pc"
    logged consumer-cmake cmake -S "$source/tests/install/consumer" -B "$work/consumer-cmake" -G Ninja \
        -DCMAKE_PREFIX_PATH="$prefix"
    logged consumer-build cmake --build "$work/consumer-cmake"
    consumer_runs "find_package consumer" "$work/consumer-cmake/consumer"

    export PKG_CONFIG_PATH="$prefix/$libdir/pkgconfig"
    # shellcheck disable=SC2046
    g++ -std=c++17 -o "$work/consumer-pc" "$source/tests/install/consumer/main.cpp" \
        $(pkg-config --cflags --libs kestrum) || fail "building with pkg-config"
    LD_LIBRARY_PATH="$(pkg-config --variable=libdir kestrum)" consumer_runs "pkg-config consumer" "$work/consumer-pc"

    mapfile -t loaded < <(echo 'puts [package require kestrum]; puts [join [lindex [info loaded] 0] \n]' \
        | TCLLIBPATH="$prefix/lib/tcltk" tclsh8.6)
    expect "package require kestrum" "${loaded[0]}" 1.0.0
    expect "tclsh's loaded package" "${loaded[2]}" Kestrum
    expect "tclsh's loaded library" "$(realpath "${loaded[1]}")" "$(realpath "$prefix/$libdir/libkestrum.so.1.0.0")"
    echo "installed kestrum consumers: passed"
    ;;
deb)
    "$source/tools/build-debs.sh" "$work" || fail "building the .debs"
    logged cpack cpack --config "$build/CPackConfig.cmake" -G TGZ -B "$work"
    # What each file of the install tree becomes in the packages.
    expected=$(libdir=lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH) config=none linux_files | grep -v LICENSE \
        | sed 's|^|usr/|; s|/man/.*|&.gz|'; for p in "${packages[@]}"; do
        printf 'usr/share/doc/%s/%s\n' "$p" changelog.gz "$p" copyright; done)
    expect "the .debs" "$(deb_listing "$work"/*.deb)" "$(sort <<<"$expected")"
    expect "the .tar.gz" "$(tar -tzvf "$work"/vesk2b-*.tar.gz | tar_listing '[^/]*/')" "$(linux_files)"
    depends=$(dpkg-deb -f "$work"/vesk2b_*.deb Depends)
    for needed in libc6 libgtk-3-0 libglib2.0-0 libtcl8.6; do
        echo "$depends" | grep -Eq "(^|, )$needed( |,|$)" || fail "Depends lacks $needed: $depends"
    done
    echo "packages: passed"
    ;;
deb-install)
    debs=("$work"/vesk2b_*.deb "$work"/vesk2b-dev_*.deb "$work"/libkestrum1_*.deb "$work"/libkestrum-dev_*.deb)
    [ -f "${debs[0]}" ] || fail "no .debs (case deb)"
    apt() { apt-get -o DPkg::Lock::Timeout=300 "$@"; }
    logged apt-install apt install -y --no-install-recommends "${debs[@]}"
    trap 'apt purge -y "${packages[@]}" >/dev/null 2>&1' EXIT
    man -w vesk2b | grep -qx /usr/share/man/man1/vesk2b.1.gz || fail "man vesk2b"
    MANWIDTH=200 man 3 kestrum 2>/dev/null | grep -q 'ticks / 500,000,000' || fail "man 3 kestrum"
    [ "$(echo 'puts [package require kestrum]' | tclsh8.6)" = 1.0.0 ] || fail "package require kestrum"
    command=$(sed -n 's/^Exec=//p' /usr/share/applications/vesk2b.desktop)
    script=/usr/libexec/vesk2b/default/vesk.tcl
    # shellcheck disable=SC2086
    expect_probe /usr/share/tcltk/tcl8.6 "$script" ${command% %F}
    logged apt-purge apt purge -y "${packages[@]}"
    left=$(deb_listing "${debs[@]}" | sed 's/ -> .*//; s|^|/|' \
        | while read -r f; do if [ -e "$f" ] || [ -L "$f" ]; then echo "$f"; fi; done)
    [ -z "$left" ] || fail "left behind: $left"
    echo "Debian packages installed and removed: passed"
    ;;
zip)
    logged cpack cpack --config "$build/CPackConfig.cmake" -G ZIP -B "$work"
    arch=${VESK_WINE_ARCH:-win32}
    cpu=$([ "$arch" = win64 ] && echo x86_64 || echo i686)
    unzip -q "$work"/vesk2b-*-"$arch".zip -d "$work/unpacked"
    app=$(ls -d "$work"/unpacked/vesk2b-*-"$arch")
    expected=$(printf '%s\n' LICENSE.txt README.txt default/vesk.tcl filelist.dll include/kestrum/kestrum{,_scope}.h \
        include/vesk2b/native.h kestrum.dll lib/cmake/kestrum/kestrum{Config,ConfigVersion,Targets-release,Targets}.cmake \
        lib/kestrum.lib lib/libkestrum.dll.a script-interface.md tcl86.dll vesk2b.exe | sort)
    tcl_folders='^\(tcl8\|tcl8\.6\|reg1\.3\|dde1\.4\)/'
    expect "unpacked zip" "$(listing "$app" | grep -v "^lib/${tcl_folders#^}")" "$expected"
    expect "Tcl's library in the zip" "$(listing "$app/lib" | grep "$tcl_folders")" \
        "$(listing "$VESK_TCL_WIN32_ROOT/lib" | grep "$tcl_folders" | grep -v '\.a$')"
    fastcall=$([ "$arch" = win64 ] && echo %s || echo @%s@4)  # a fastcall export's name
    clang-14 --target="$cpu-pc-windows-msvc" -ffreestanding -O1 -c -I"$app/include" -o "$work/msvc.obj" \
        "$source/tests/install/consumer/msvc.c" && lld-link /nologo /entry:start /subsystem:console /nodefaultlib \
        /out:"$app/msvc.exe" "$work/msvc.obj" "$app/lib/kestrum.lib" || fail "linking a caller with kestrum.lib"
    found=$(objdump -p "$app/msvc.exe" | awk '/^\t[0-9a-f]+\t +[0-9]+  [@A-Za-z_]/ { print $2, $3 }' | sort -n | xargs)
    expect "kestrum.lib's imports" "$found" \
        "$(printf "1 $fastcall 2 $fastcall 3 $fastcall 7 Profiler_Stats_All" GetProfiler Profiler_{Start,Stop})"
    cmp "$source/default/vesk.tcl" "$app/default/vesk.tcl" || fail "shipped script"

    eval "$(python3 "$source/tests/runner.py" wine-exports)"
    app_windows=$("$VESK_WINE" winepath -w "$app" 2>/dev/null | tr '\\' /)
    # The shipped demo would wait for its user: a probe runs in its place.
    record=record script=$app/default/vesk.tcl
    expect_probe "$app_windows/lib/tcl8.6" "$app_windows/default/vesk.tcl" "$VESK_WINE" "$app/vesk2b.exe"
    $cpu-w64-mingw32-g++ -std=c++17 -O1 -static-libgcc -static-libstdc++ -o "$app/consumer.exe" \
        "$source/tests/install/consumer/main.cpp" -I"$app/include" -L"$app/lib" -lkestrum || fail "cross-building a kestrum caller"
    consumer_runs "the cross-built kestrum caller under Wine" env -C "$app" timeout 60 "$VESK_WINE" "$app/consumer.exe"
    echo "windows zip: passed"
    ;;
installer)
    # The installer's script is the same whatever the installer's own
    # processor: a 64-bit one runs under 64-bit Wine on machines without
    # 32-bit programs. A prefix of its own: no display, no desktop menus.
    setup=$(VESK_INSTALLER_TARGET=amd64-unicode "$source/tools/make-installer.sh" "$build" "$work" | tail -1) || fail "makensis"
    display=$DISPLAY
    export WINEPREFIX=$work/prefix WINEARCH=win64 WINEDEBUG=-all DISPLAY= WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    wine=/usr/lib/wine/wine64
    logged wineboot $wine wineboot -i
    key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\vesk2b'
    value() { $wine reg query "$key" /v "$1" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$1 *REG_[A-Z]* *//p"; }
    timeout 120 $wine "$setup" /S || fail "silent install"
    [ "$(value DisplayName), $(value DisplayVersion), $(value Publisher)" = "vesk2b, $(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' \
        "$build/CMakeCache.txt"), the vesk2b authors" ] || fail "uninstall entry: $($wine reg query "$key")"
    app=$($wine winepath -u "$(value InstallLocation)" | tr -d '\r')
    expect "installed folder" "$(listing "$app")" "$( (cd "$work"/installer-*/stage && listing .; echo uninstall.exe) | sort)"
    menu="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/vesk2b.lnk"
    strings -el "$menu" | grep -qF "$(value InstallLocation)\vesk2b.exe" || fail "Start-menu entry"
    if file "$app/vesk2b.exe" | grep -q x86-64; then
        # The installed program starts from its folder and runs its script (a probe in the demo's place).
        # The prefix's desktop process started without a display: a new one with it.
        wineserver -k
        export DISPLAY=$display
        record=record script=$app/default/vesk.tcl
        folder=$(value InstallLocation)
        expect_probe "${folder//\\//}/lib/tcl8.6" "${folder//\\//}/default/vesk.tcl" "$wine" "$folder\\vesk2b.exe"
    fi
    uninstall=$(value QuietUninstallString)
    exe=${uninstall#\"}
    # shellcheck disable=SC2086
    $wine "${exe%%\"*}" ${uninstall##*\"} || fail "silent uninstall"
    # The uninstaller runs on from a copy of itself.
    for _ in $(seq 60); do [ -e "$app" ] || [ -e "$menu" ] || break; sleep 1; done
    [ ! -e "$app" ] && [ ! -e "$menu" ] && [ -z "$(value DisplayName)" ] || fail "left after uninstalling: $(find "$app" "$menu")"
    echo "windows installer: passed"
    ;;
*)
    fail "unknown case $case_name"
    ;;
esac

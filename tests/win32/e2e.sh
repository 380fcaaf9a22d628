#!/bin/bash
# End-to-end tests of vesk2b.exe under Wine on the Xvfb display that
# `e2e.sh setup` starts. Each case copies vesk2b.exe and tcl86.dll into a
# folder of its own with one of scripts/*.tcl as default/vesk.tcl, starts it,
# drives it with real key presses (xdotool, XTEST) and reads three things:
#   record.txt   what the host handed to the script (scripts/common.tcl)
#   console.log  the program's console: wine is started on a pseudo-terminal
#                (script(1)), so Wine attaches the process to a Unix console
#                and everything written to "CONOUT$" lands in that terminal,
#                which script(1) logs; cursor escapes and CRs are stripped,
#                and the terminal is 1000 columns wide so that Wine does not
#                break long lines
#   exit code    of the wine process, passed on by script -e
# and, where a script asks readback.dll for it, notices.txt: the caption and
# text of each message box, answered with OK.
#
# Usage: e2e.sh setup|cleanup|<case>
# Environment: VESK_WIN32_BIN (folder of vesk2b.exe and tcl86.dll),
#              VESK_WIN32_STATE (Wine prefix and display, see wine_env.sh),
#              VESK_SOURCE_DIR (the source tree).
set -u
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wine_env.sh"

app=""        # the case's folder
app_pid=""    # the script(1) process running wine

# Copies the program with the given application script into a fresh folder.
prepare() {
    local name=$1 script=$2
    app="$VESK_WIN32_STATE/e2e/$name"
    rm -rf "$app"
    mkdir -p "$app/default"
    cp "$VESK_WIN32_BIN/vesk2b.exe" "$VESK_WIN32_BIN/tcl86.dll" "$VESK_WIN32_BIN/readback.dll" "$app/"
    # The list extension, as installed beside the program.
    cp "$VESK_WIN32_BIN/filelist.dll" "$VESK_WIN32_BIN/kestrum.dll" "$app/" 2>/dev/null
    cp "$script" "$app/default/vesk.tcl"
    cp "$here/scripts/common.tcl" "$app/default/"
}

# Starts vesk2b.exe with the given arguments on a pseudo-terminal.
start() {
    local command
    command="stty -onlcr cols 1000; exec $(printf '%q ' "$VESK_WINE" "$app/vesk2b.exe" "$@")"
    (
        cd "$app" || exit 1
        timeout 90 script -q -e -c "$command" "$app/console.log"
        echo $? >"$app/exit_code"
    ) </dev/null >/dev/null 2>&1 &
    app_pid=$!
}

# Starts vesk2b.exe as from a desktop: no terminal, so the console it opens
# is a console window of its own.
start_plain() {
    (
        cd "$app" || exit 1
        timeout 90 "$VESK_WINE" "$app/vesk2b.exe" "$@"
        echo $? >"$app/exit_code"
    ) </dev/null >/dev/null 2>&1 &
    app_pid=$!
}

# A failed case leaves no program behind: the runner's children (timeout,
# and through it script and wine) are stopped by their process ids.
stop_leftover() {
    if [ -n "$app_pid" ] && [ ! -s "$app/exit_code" ]; then
        pkill -TERM -P "$app_pid" 2>/dev/null
    fi
}
trap stop_leftover EXIT

# Waits for the program to end; prints its exit code.
wait_exit() {
    local seconds=${1:-20}
    for _ in $(seq $((seconds * 10))); do
        if [ -s "$app/exit_code" ]; then
            wait "$app_pid" 2>/dev/null
            cat "$app/exit_code"
            return 0
        fi
        sleep 0.1
    done
    win32_fail "vesk2b.exe did not end within ${seconds}s; console:"$'\n'"$(console)"
}

# Prints the id of the visible window whose title matches the pattern.
wait_window() {
    local pattern=$1 seconds=${2:-30} id
    for _ in $(seq $((seconds * 5))); do
        id=$(xdotool search --onlyvisible --name "$pattern" 2>/dev/null | head -n 1)
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        sleep 0.2
    done
    win32_fail "no window titled '$pattern' within ${seconds}s; console:"$'\n'"$(console)"
}

window_gone() {
    ! xdotool search --onlyvisible --name "$1" >/dev/null 2>&1
}

# Waits until record.txt has a line matching the pattern.
wait_record() {
    local pattern=$1 seconds=${2:-15}
    for _ in $(seq $((seconds * 10))); do
        grep -qE -- "$pattern" "$app/default/record.txt" 2>/dev/null && return 0
        sleep 0.1
    done
    win32_fail "no record line matching '$pattern'; record:"$'\n'"$(cat "$app/default/record.txt" 2>/dev/null)"
}

count_record() { grep -cxE -- "$1" "$app/default/record.txt" 2>/dev/null; }

# The console text without script(1)'s frame lines, escapes and CRs.
console() {
    sed -e '1{/^Script started/d}' -e '/^Script done/d' "$app/console.log" 2>/dev/null |
        sed -e 's/\x1b\[[0-9;?]*[A-Za-z]//g' -e 's/\r//g'
}

# Real key presses on the given window.
press() {
    local window=$1
    shift
    xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
    sleep 0.2
    xdotool key --clearmodifiers "$@"
}

expect_equal() {
    [ "$1" == "$2" ] || win32_fail "$3: got '$1', expected '$2'"
}

# Ends the case: the window closed, ::config::save ran once, exit code 0.
expect_clean_exit() {
    local code
    code=$(wait_exit 20)
    expect_equal "$code" 0 "exit code"
    expect_equal "$(count_record 'save')" 1 "::config::save calls"
}

case_command_line() {
    # A folder whose name Windows has only in UTF-16: the program finds its
    # script from its own path.
    prepare "command_line Ж 日本" "$here/scripts/command_line.tcl"
    # The two files exist in the program's folder, which is the current one.
    local files=("Grüße.txt" "Жёлудь 日本語.txt")
    touch "$app/${files[0]}" "$app/${files[1]}"
    # The awkward ASCII names are the conformance suite's.
    local names=("${files[@]}" "plain")
    start "${names[@]}"
    expect_clean_exit
    # Each call: mode, list length, name, file exists, name known.
    local expected="loaded" mode=open name found
    for name in "${names[@]}"; do
        found="0|0"
        if [ "$name" == "${files[0]}" ] || [ "$name" == "${files[1]}" ]; then found="1|1"; fi
        expected+=$'\n'"filedialog|$mode|1|$name|$found"
        mode=merge
    done
    expected+=$'\n'"save"
    expect_equal "$(cat "$app/default/record.txt")" "$expected" "calls into the script"
}

case_shortcuts() {
    prepare shortcuts "$here/scripts/shortcuts.tcl"
    start
    local window
    window=$(wait_window '^vesk e2e shortcuts')
    wait_record '^ready$'
    # The title and labels as Windows holds them, and the title as Wine
    # hands it to X: the script's text, letter for letter.
    local title="vesk e2e shortcuts Grüße Ж 日本"
    expect_equal "$(grep -E '^(literal|title|menu)\|' "$app/default/record.txt")" \
        "literal|1"$'\n'"title|$title"$'\n'"menu|Datei Ж|Speichern unter… 日本"$'\t'"Shift+Ctrl+S" "text read back"
    expect_equal "$(xdotool getwindowname "$window")" "$title" "X window name"
    # The manifest brings in Common Controls 6 (visual styles), which Windows
    # (and Wine) keep in their side-by-side store.
    grep -qiE '^comctl\|.*common-controls_6595b64144ccf1df_6\.' "$app/default/record.txt" ||
        win32_fail "not Common Controls 6: $(grep '^comctl' "$app/default/record.txt")"
    # A plain o and a Shift+O are no shortcut; Ctrl+O is.
    press "$window" o shift+o ctrl+o
    wait_record '^action\|open$'
    press "$window" ctrl+shift+s
    wait_record '^action\|saveas$'
    expect_equal "$(count_record 'action\|open')" 1 "Open actions"
    press "$window" alt+x
    expect_clean_exit
    expect_equal "$(grep '^action' "$app/default/record.txt" | tr '\n' ' ')" \
        "action|open action|saveas action|exit " "actions in order"
}

case_open_dialog() {
    prepare open_dialog "$here/scripts/open_dialog.tcl"
    # A name with letters in and beyond the ANSI code page, picked in the
    # dialog, comes back as the script's UTF-8.
    printf 'chosen\n' >"$app/chosen Grüße Ж 日本.txt"
    start
    local window dialog
    window=$(wait_window '^vesk e2e open dialog$')
    wait_record '^ready$'
    press "$window" ctrl+b
    wait_record '^bounds\|'
    local left top width height
    IFS='|' read -r _ left top width height < <(grep '^bounds|' "$app/default/record.txt" | tail -n 1)
    expect_equal "$left $top $width $height" "40 60 900 700" "main window frame"

    # Cancel: the command fails with the extended error 0.
    press "$window" ctrl+o
    dialog=$(wait_window '^e2e pick$')
    # The hook centres the dialog's frame on the main window's frame. The X
    # window lacks the frame Wine would leave to a window manager, so the
    # centres are compared with a margin for the caption.
    eval "$(xdotool getwindowgeometry --shell "$dialog")"
    local dx=$((X + WIDTH / 2 - (left + width / 2))) dy=$((Y + HEIGHT / 2 - (top + height / 2)))
    if [ "${dx#-}" -gt 24 ] || [ "${dy#-}" -gt 24 ]; then
        win32_fail "dialog at ${X},${Y} ${WIDTH}x${HEIGHT} is not centred on 40 60 900 700 (off by $dx,$dy)"
    fi
    press "$dialog" Escape
    wait_record '^dialog\|'
    expect_equal "$(grep '^dialog|' "$app/default/record.txt")" \
        "dialog|1|4|error|on|GetOpenFileName/GetSaveFileName:|0" "cancelled dialog"

    # Choose: the file comes back as a one-element list of its full path.
    # The dialog is sent to the case's folder (Wine may remember another),
    # and the file is picked from the list by keyboard (Shift+Tab from the
    # name field, End: the last entry, after the folder), because Wine does
    # not take the letters that xdotool types through a remapped key.
    press "$window" ctrl+o
    dialog=$(wait_window '^e2e pick$')
    local chosen
    chosen=$(win32_path "$app/chosen Grüße Ж 日本.txt")
    sleep 0.5
    xdotool type --delay 20 "$(win32_path "$app")\\"
    xdotool key Return
    sleep 0.5
    xdotool key shift+Tab End
    sleep 0.3
    xdotool key Return
    wait_record '^dialog\|0\|'
    expect_equal "$(grep '^dialog|0|' "$app/default/record.txt")" "dialog|0|1|$chosen" "chosen file"

    press "$window" alt+F4
    expect_clean_exit
}

case_bounds() {
    prepare bounds "$here/scripts/bounds.tcl"
    start
    local window
    window=$(wait_window '^vesk e2e bounds$')
    wait_record '^ready$'
    expect_equal "$(grep -m1 '^bounds|' "$app/default/record.txt")" "bounds|150|100|700|500" \
        "::screen::getbounds after ::screen::setbounds"
    local client
    client=$(grep '^client|' "$app/default/record.txt")
    # The resize script ran inside ::screen::setbounds with the same client area.
    grep -qxF "resize|${client#client|}" "$app/default/record.txt" ||
        win32_fail "no resize call with the client area $client"

    # The X window sits where Win32 put the frame (plus the frame's own
    # border and caption, which Wine draws without a window manager).
    eval "$(xdotool getwindowgeometry --shell "$window")"
    local offsetX=$((X - 150)) offsetY=$((Y - 100))
    if [ "$offsetX" -lt 0 ] || [ "$offsetX" -gt 16 ] || [ "$offsetY" -lt 0 ] || [ "$offsetY" -gt 48 ]; then
        win32_fail "X window at $X,$Y for a frame at 150,100"
    fi

    # Moved from outside, the window reports its new place.
    xdotool windowmove --sync "$window" $((420 + offsetX)) $((260 + offsetY)) 2>/dev/null ||
        xdotool windowmove "$window" $((420 + offsetX)) $((260 + offsetY))
    sleep 0.5
    press "$window" ctrl+b
    wait_record '^bounds\|420\|260\|700\|500$' 10

    press "$window" alt+F4
    expect_clean_exit
}

case_script_error() {
    prepare script_error "$here/scripts/script_error.tcl"
    start
    local window
    window=$(wait_window '^vesk e2e script error$')
    wait_record '^ready$'
    press "$window" ctrl+e
    press "$window" ctrl+k
    wait_record '^alive$'
    press "$window" alt+F4
    expect_clean_exit
    [ "$(count_record unreachable)" == 0 ] || win32_fail "the script went on after its error"

    # Interpreter error report: the result, a line feed, the errorInfo trail
    # (which starts with the message again), a line feed.
    local text
    text=$(console)
    local report=$'e2e script stopped here Grüße Ж 日本\ne2e script stopped here Grüße Ж 日本\n    while executing\n"error "e2e script stopped here Grüße Ж 日本" "\n    (procedure "::e2e::stop" line 1)\n    invoked from within\n"::e2e::stop"\n    (file "'
    [[ "$text" == *"$report"* ]] || win32_fail "no script error report on the console:"$'\n'"$text"
    # System error report: the system's text for the last error (a sentence
    # with its own line break), " in ", the command, a blank line; it comes
    # before the script's own failure.
    [[ "$text" == *$'.\n in ::menu::submenu\n\ne2e script stopped here Grüße Ж 日本\n'* ]] ||
        win32_fail "no system error report for ::menu::submenu on the console:"$'\n'"$text"
    [[ "$text" == *$'e2e action failed\ne2e action failed\n    while executing\n"error "e2e action failed""'* ]] ||
        win32_fail "no action error report on the console:"$'\n'"$text"
    [[ "$text" == *$'e2e puts Grüße Ж 日本\n'* ]] || win32_fail "no puts output on the console:"$'\n'"$text"
    # The translation failure's notice, as Windows showed it.
    local notices
    notices=$(cat "$app/default/notices.txt" 2>/dev/null)
    [[ "$notices" == $'error in translateObj|keine Übersetzung für Ж 日本\n    while executing\n'* ]] ||
        win32_fail "no translation notice: $notices"
}

# The demo application as shipped, started as from a desktop with two files:
# its main window and its console window appear; Alt+F4 ends it with 0.
case_demo() {
    prepare demo "$VESK_SOURCE_DIR/default/vesk.tcl"
    printf 'one\n' >"$app/first file.txt"
    printf 'two\n' >"$app/second.txt"
    start_plain "$(win32_path "$app/first file.txt")" "$(win32_path "$app/second.txt")"
    local window=""
    for _ in $(seq 150); do
        window=$(xdotool search --onlyvisible --classname '^vesk2b' 2>/dev/null | head -n 1)
        [ -n "$window" ] && break
        sleep 0.2
    done
    [ -n "$window" ] || win32_fail "no vesk2b.exe window"
    # Wine titles a console window with the program's path.
    wait_window 'vesk2b\.exe$' 10 >/dev/null
    sleep 1
    press "$window" alt+F4
    expect_equal "$(wait_exit 20)" 0 "exit code"
}

# The demo with filelist.dll: the files named on the command line are rows of
# the list-view control, which has the keyboard focus. Its own keys (Home,
# End, type-ahead) select a row, Delete removes that row and only it, once;
# Ctrl+O opens the dialog, and once it is closed the list has the focus again.
case_filelist() {
    prepare filelist "$here/scripts/demo_list.tcl"
    [ -f "$app/filelist.dll" ] || win32_fail "no filelist.dll in $VESK_WIN32_BIN"
    cp "$VESK_SOURCE_DIR/default/vesk.tcl" "$app/default/demo.tcl"
    touch "$app/a.txt" "$app/b.txt" "$app/c.txt"
    start a.txt b.txt c.txt
    local window
    window=$(wait_window '^vesk2b - a.txt, b.txt, c.txt$')
    wait_record '^rows\|a.txt,b.txt,c.txt$'
    press "$window" Home End Delete
    wait_record '^say\|removed: '
    press "$window" ctrl+o
    press "$(wait_window '^Open$')" Escape
    wait_record '^say\|open: '
    press "$window" b Delete
    wait_record '^rows\|a.txt$'
    expect_equal "$(grep -E '^(rows|say\|removed)' "$app/default/record.txt" | tail -n 4 | tr '\n' ' ')" \
        "rows|a.txt,b.txt say|removed: 1 rows|a.txt say|removed: 1 " "rows after each Delete"
    press "$window" alt+F4
    expect_equal "$(wait_exit 20)" 0 "exit code"
}

case "${1:-}" in
    setup) win32_env_start ;;
    cleanup) win32_env_stop ;;
    command_line | shortcuts | open_dialog | bounds | script_error | demo | filelist)
        : "${VESK_WIN32_BIN:?}" "${VESK_SOURCE_DIR:?}"
        win32_env_use
        "case_$1"
        echo "win32 e2e $1: passed"
        ;;
    *)
        echo "usage: $0 setup|cleanup|command_line|shortcuts|open_dialog|bounds|script_error|demo|filelist" >&2
        exit 2
        ;;
esac

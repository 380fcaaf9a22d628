#!/usr/bin/env python3
"""End-to-end cases of vesk2b: the real program driven with real key and
window events (xdotool), on gtk (on a private Xvfb) and on win32 (under Wine,
in the shared Wine environment). One table: each case names its platforms;
where a platform differs, the expectation says so and why, next to the check.
A case runs the shipped demo (a line per action on standard output, under
Wine on the console) or a script here after common.tcl (calls in record.txt).

Usage: cases.py list PLATFORM | cases.py CASE PLATFORM PROGRAM
"""
import getpass
import os
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.dirname(HERE))
from runner import TIMEOUT, Failure, Session, check, poll, stage  # noqa: E402

OPEN_CANCELLED = "error on GetOpenFileName/GetSaveFileName: 0"


class Run(Session):
    """One case on one platform: stages and starts the program, checks its end."""

    def __init__(self, work, platform, program):
        super().__init__(work, platform)
        self.program = program
        # The demo's configuration, under Wine in the shared prefix's AppData. A
        # case of the demo starts without it, which the prefix keeps from case to case.
        roaming = [self.env.get("WINEPREFIX", ""), "drive_c", "users", getpass.getuser(), "AppData", "Roaming"]
        self.config = pathlib.Path(*(roaming if self.wine else [work, ".config"]), "vesk2b", "vesk.conf")
        self.config.unlink(missing_ok=True)

    def start(self, script=None, args=(), files=(), folder="app", console=True, extras=None):
        """The demo, or common.tcl followed by the named script of this folder,
        in a fresh folder holding the files (each containing its name)."""
        self.app, self.script = os.path.join(self.work, folder), script
        if script:
            script = pathlib.Path(self.work, script)
            script.write_bytes(b"".join(pathlib.Path(HERE, name).read_bytes() for name in ("common.tcl", self.script)))
        exe = stage(self.app, self.program, script, extras)
        for name in files:
            pathlib.Path(self.app, name).write_text(name)
        return super().start(exe, args, console=console)

    def ready(self, script=None, title="vesk2b", line="^ready", **options):
        """Starts the program and waits for its main window and the script's
        line (the demo's on standard output, a test script's in record.txt)."""
        program = self.start(script, **options)
        window = self.find_window(title, program, timeout=30)
        program.wait_line(line, "record.txt" if script else "stdout")
        return program, window

    def closed(self, program, keys=("alt+F4",), window=None, saves=None, reports=False):
        """Ends a run with keys (after focusing the window): exit code 0, the
        configuration saved `saves` times (a test script records ::config::save,
        the demo says "config saved:") and, unless `reports`, no script error on the console."""
        if keys:
            self.press(*keys, window=window)
        check(program.wait_exit() == 0, "exit code; output:\n" + program.output())
        check(reports or "while executing" not in program.read("console"), "script error:\n" + program.read("console"))
        if saves is not None:
            found = ([line for line in program.lines(source="record.txt") if line == "save"] if self.script
                     else program.lines("config saved:"))
            check(len(found) == saves, "saves: " + repr(found))

    def cancel_dialog(self, program, keys, title="^Open$", window=None, frame=None):
        """Opens a dialog with keys (on the window, if given) and cancels it.
        Given a frame, the dialog's place is the frame's centre. Under Wine the
        X windows lack the frames Wine would leave to a window manager: the
        centres are compared with a margin for the caption."""
        self.press(*keys, window=window)
        dialog = self.find_window(title, program, timeout=30)
        if frame:
            time.sleep(0.3)  # the hook moves the dialog once it is mapped
            x, y, width, height = self.geometry(dialog)
            # Centred, then moved whole onto the work area (the screen here), as Windows places its dialogs.
            screen = [int(extent) for extent in self.xdotool("getdisplaygeometry").split()]
            want = [max(min(frame[i] + int((frame[i + 2] - size) / 2), screen[i] - size), 0)
                    for i, size in enumerate((width, height))]
            off = (x - want[0], y - want[1])
            check(max(map(abs, off)) <= (24 if self.wine else 2),
                  f"dialog at {x},{y} {width}x{height} off its place by {off} on {frame}")
        self.press("Escape", window=dialog)

    def once(self, program, pattern, prefix, count=1, timeout=TIMEOUT):
        """Waits for `count` lines, then lets the program handle what it was sent,
        so that a late duplicate shows: exactly `count` lines start with prefix."""
        program.wait_line(pattern, count=count, timeout=timeout)
        time.sleep(0.6)
        found = program.lines(prefix)
        check(len(found) == count, prefix + " " + repr(found))
        return found


# ------------------------------------------------------------------ cases

def title_lists_files(run):
    """Three files on the command line, one with a blank and a dollar sign."""
    names = ["a.txt", "b c$.txt", "[c].log"]
    program, window = run.ready(args=names, files=names)
    expected = "vesk2b - " + ", ".join(names)
    poll(lambda: run.xdotool("getwindowname", window) == expected,
         lambda: "title: " + run.xdotool("getwindowname", window))
    files = program.lines("file: ")
    # Under Wine the paths are Windows paths with forward slashes.
    check(files == ["file: " + run.path(os.path.join(run.app, name)).replace("\\", "/") for name in names],
          "files: " + repr(files))
    run.closed(program, window=window)


def list_keys(run):
    """The filelist view shows the files named on the command line; while it
    has the focus its own keys (arrows, End, type-ahead) move in it, and the
    menu's shortcuts still work: Delete removes the selected row, Ctrl+O opens
    the dialog. The demo prints the rows it reads back from the widget."""
    names = ["a.txt", "b.txt", "c.txt", "d.txt"]
    program, window = run.ready(line=r"^list: a.txt, b.txt, c.txt, d.txt$", args=names, files=names)
    for keys, left in ((["Down", "Down", "Delete"], "a.txt, c.txt, d.txt"), (["End", "Delete"], "a.txt, c.txt"),
                       (["c", "Return", "Delete"], "a.txt")):
        run.press(*keys, window=window)
        program.wait_line(r"^list: " + re.escape(left) + "$")
    run.cancel_dialog(program, ["ctrl+o"])
    program.wait_line("^open: " + OPEN_CANCELLED + "$")
    check(len(program.lines("removed:")) == 3, "removals: " + repr(program.lines("removed:")))
    run.closed(program, window=window)


def open_dialog_cancel(run):
    """Ctrl+O opens the chooser centred on the window, moved onto the screen
    where it is larger than the window; Escape cancels with code 0. With Caps
    Lock on, the shortcut still works."""
    program, window = run.ready()
    run.xdotool("windowmove", "--sync", window, "200", "150")
    for runs, (attempt, keys) in enumerate((("plain", []), ("caps lock", ["Caps_Lock"])), 1):
        if runs == 2:  # now larger than the chooser, whose place is then the centre alone
            run.xdotool("windowsize", "--sync", window, "1300", "1000")
        run.cancel_dialog(program, [*keys, "ctrl+o"], window=window, frame=run.geometry(window))
        found = run.once(program, "^open: ", "open: ", runs, timeout=20)
        check(found == ["open: " + OPEN_CANCELLED] * runs, f"{attempt}: {found!r}")
    run.closed(program, keys=("Caps_Lock", "alt+F4"), window=window)


def menu_by_keyboard_once(run):
    """A menu item chosen with the keyboard runs once; so does a shortcut, and
    the shortcut shown in the menu is the one that works."""
    program, window = run.ready()
    run.press("F10", "Right", "Right", "Down", "Return", window=window)  # Help -> About
    run.once(program, r"^about:", "about:")
    # View -> Language -> Deutsch rebuilds the bar from inside its own action.
    run.press("F10", "Right", "Down", "Down", "Down", "Down", "Down", "Right", "Down", "Return")
    run.once(program, r"^language: de$", "language:")
    # Ctrl+Shift+S after the rebuild opens the save dialog, with its German title.
    run.cancel_dialog(program, ["ctrl+shift+s"], "^Speichern unter$")
    run.once(program, "^save as: " + OPEN_CANCELLED + "$", "save as:")
    check(program.lines("open") == [], "Ctrl+Shift+S also ran Open: " + program.read("stdout"))
    run.closed(program, window=window)


def resize_runs_script(run):
    """Resizing from outside runs the resize script with the new client area;
    resizing from the script reports the new size once."""
    program, window = run.ready()
    run.xdotool("windowsize", "--sync", window, "700", "500")
    wide = run.once(program, r"^resize: 0 0 700 ", "resize: 0 0 700 ")[0]
    height = int(wide.split()[-1])
    check(400 < height < 500, "client height below the bar: " + wide)
    run.press("F10", "Right", "Down", "Down", "Down", "Return", window=window)  # View -> Large
    program.wait_line(r"^view: Large$")
    large = run.once(program, r"^resize: 0 0 1024 ", "resize: 0 0 1024 ")[0]
    check(int(large.split()[-1]) == 768 - (500 - height), "client area of Large: " + large)
    check(run.geometry(window)[2:] == (1024, 768), f"window is {run.geometry(window)}")
    run.closed(program)


def close_saves_and_restart_restores(run):
    """Closing the window saves the configuration once and exits with 0; the
    next start puts the window back where it was; under openbox the bounds
    read in the exit action after the framing stay the same across restarts."""
    saved = run.config.read_text
    program, window = run.ready()
    check(not run.config.exists(), "config before the first run")
    run.xdotool("windowmove", "--sync", window, "300", "200")
    run.xdotool("windowsize", "--sync", window, "620", "440")
    program.wait_line(r"^resize: 0 0 620 ")
    run.close_window(window)
    run.closed(program, keys=(), saves=1)
    check("bounds {300 200 620 440}" in saved(), "saved config:\n" + saved())

    program, window = run.ready()
    check(program.lines("bounds restored:") == ["bounds restored: 300 200 620 440"], "restore: " + program.output())
    poll(lambda: run.geometry(window) == (300, 200, 620, 440), lambda: f"window at {run.geometry(window)}")
    run.closed(program, window=window, saves=1)

    run.start_window_manager()
    for start in (1, 2):
        program, window = run.ready()
        time.sleep(0.6)  # framed by now
        run.closed(program, keys=("F10", "Up", "Return"), window=window)  # File -> Exit
        check("bounds {300 200 620 440}" in saved(), f"bounds saved after start {start} under openbox moved")


def broken_config(run):
    """A configuration file that is no dictionary, or holds nonsense values,
    does not stop the program."""
    run.config.parent.mkdir(parents=True, exist_ok=True)
    for content in ("bounds {1 2 3\n", "bounds {a b c d} language xx recent {{} screen 7\n"):
        run.config.write_text(content)
        program, window = run.ready(line=r"^ready: language en$", args=["missing.txt"])
        check(program.lines("bounds restored") == [], "restored from a broken file")
        run.closed(program, window=window, saves=1)


def key_names(run):
    """Character keys are named by the layout's unshifted character, as
    Windows names them; Z moves with its key."""
    helper = os.path.join(os.path.dirname(run.program), "tests", "gtk", "gtk_key_names")
    for layout, names in {"us": "- = [ \\ . / Y Num 1 / 2C", "de": "ß ´ Ü # . - Z Num 1 / 15"}.items():
        subprocess.run(["setxkbmap", layout], env=run.env, check=True)
        got = subprocess.run([helper, "0C", "0D", "1A", "2B", "34", "35", "15", "4F"], env=run.env,
                             capture_output=True, text=True)
        check(got.stdout.strip() == names, f"{layout}: {got.stdout.strip()!r} {got.stderr}")


def command_line(run):
    """Files named on the command line reach ::vesk::filedialog after the
    script has run, in a folder whose name Windows has only in UTF-16: the
    program finds its script from its own path. Two of the files exist in
    the program's folder, which is the current one."""
    files = ["Grüße.txt", "Жёлудь 日本語.txt"]
    program = run.start("command_line.tcl", args=files + ["plain"], files=files, folder="command_line Ж 日本")
    run.closed(program, keys=(), saves=1)
    # Each call: mode, list length, name, file exists, name known.
    expected = ["loaded"] + [f"filedialog|{'merge' if i else 'open'}|1|{name}|{'1|1' if name in files else '0|0'}"
                             for i, name in enumerate(files + ["plain"])] + ["save"]
    check(program.lines(source="record.txt") == expected, "calls into the script: " + program.read("record.txt"))


def shortcuts(run):
    """Shortcuts through the accelerator table: Ctrl+O, Ctrl+Shift+S and Alt+X
    (a system key); the title and labels as Windows holds them, and the title
    as Wine hands it to X: the script's text, letter for letter."""
    program, window = run.ready("shortcuts.tcl", "^vesk e2e shortcuts")
    title = "vesk e2e shortcuts Grüße Ж 日本"
    check([line for line in program.lines(source="record.txt") if re.match("(literal|title|menu)\\|", line)]
          == ["literal|1", "title|" + title, "menu|Datei Ж|Speichern unter… 日本\tShift+Ctrl+S"],
          "text read back: " + program.read("record.txt"))
    check(run.xdotool("getwindowname", window) == title, "X window name")
    # The manifest brings in Common Controls 6 (visual styles), which Windows
    # (and Wine) keep in their side-by-side store.
    check(re.search(r"(?im)^comctl\|.*common-controls_6595b64144ccf1df_6\.", program.read("record.txt")),
          "not Common Controls 6: " + program.read("record.txt"))
    # A plain o and a Shift+O are no shortcut; Ctrl+O is.
    for keys, action in ((["o", "shift+o", "ctrl+o"], "open"), (["ctrl+shift+s"], "saveas")):
        run.press(*keys, window=window)
        program.wait_line(rf"^action\|{action}$", "record.txt")
    check(program.lines("action|open", "record.txt") == ["action|open"], "Open actions")
    run.closed(program, keys=("alt+x",), window=window, saves=1)
    check(program.lines("action", "record.txt") == ["action|open", "action|saveas", "action|exit"], "actions in order")


def open_dialog(run):
    """The open dialog from a shortcut's action, centred on the main window;
    cancelled, the command fails with the extended error 0; a name with
    letters in and beyond the ANSI code page, picked in the dialog, comes
    back as a one-element list of the script's UTF-8."""
    chosen = "chosen Grüße Ж 日本.txt"
    program, window = run.ready("open_dialog.tcl", "^vesk e2e open dialog$", files=[chosen])
    run.press("ctrl+b", window=window)
    frame = program.wait_line(r"^bounds\|", "record.txt")[-1]
    check(frame == "bounds|40|60|900|700", "main window frame: " + frame)

    run.cancel_dialog(program, ["ctrl+o"], "^e2e pick$", window, frame=(40, 60, 900, 700))
    program.wait_line(r"^dialog\|", "record.txt")
    check(program.lines("dialog|", "record.txt") == ["dialog|1|4|" + OPEN_CANCELLED.replace(" ", "|")],
          "cancelled dialog: " + program.read("record.txt"))

    # The dialog is sent to the case's folder (Wine may remember another), and
    # the file is picked from the list by keyboard (Shift+Tab from the name
    # field, End: the last entry, after the folder), because Wine does not
    # take the letters that xdotool types through a remapped key.
    run.press("ctrl+o", window=window)
    run.find_window("^e2e pick$", program, timeout=30)
    for pause, step in ((0.5, ["type", "--delay", "20", run.path(run.app) + "\\"]), (0, ["key", "Return"]),
                        (0.5, ["key", "shift+Tab", "End"]), (0.3, ["key", "Return"])):
        time.sleep(pause)
        run.xdotool(*step)
    program.wait_line(r"^dialog\|0\|", "record.txt")
    check(program.lines("dialog|0|", "record.txt") == ["dialog|0|1|" + run.path(os.path.join(run.app, chosen))],
          "chosen file: " + program.read("record.txt"))
    run.closed(program, window=window, saves=1)


def bounds(run):
    """The script places the window and reads it back; the resize script ran
    inside ::screen::setbounds with the same client area; moved from outside,
    the window reports its new place."""
    program, window = run.ready("bounds.tcl", "^vesk e2e bounds$")
    check(program.lines("bounds|", "record.txt")[0] == "bounds|150|100|700|500",
          "::screen::getbounds after ::screen::setbounds: " + program.read("record.txt"))
    client = program.lines("client|", "record.txt")[0]
    check("resize|" + client[len("client|"):] in program.lines(source="record.txt"), "no resize call with " + client)
    # The X window sits where Win32 put the frame, plus the frame's own border
    # and caption, which Wine draws without a window manager.
    x, y = run.geometry(window)[:2]
    check(0 <= x - 150 <= 16 and 0 <= y - 100 <= 48, f"X window at {x},{y} for a frame at 150,100")
    run.xdotool("windowmove", "--sync", window, str(420 + x - 150), str(260 + y - 100))
    if run.status:
        run.xdotool("windowmove", window, str(420 + x - 150), str(260 + y - 100))
    time.sleep(0.5)
    run.press("ctrl+b", window=window)
    program.wait_line(r"^bounds\|420\|260\|700\|500$", "record.txt")
    run.closed(program, window=window, saves=1)


def script_error(run):
    """A failing script: the host writes the interpreter error report to the
    console and keeps the window up; a failing action is reported the same
    way and the loop goes on; a failed submenu insertion is reported with the
    system's text; a notice that cannot be translated carries its trail."""
    program, window = run.ready("script_error.tcl", "^vesk e2e script error$")
    run.press("ctrl+e", "ctrl+k", window=window)
    program.wait_line("^alive$", "record.txt")
    run.closed(program, window=window, saves=1, reports=True)
    check(program.lines("unreachable", "record.txt") == [], "the script went on after its error")
    # Interpreter error report: the result, a line feed, the errorInfo trail
    # (which starts with the message again), a line feed. System error report:
    # the system's text (a sentence with its own line break), " in ", the
    # command, a blank line, before the script's own failure.
    message = "e2e script stopped here Grüße Ж 日本"
    console = program.read("console")
    for report in (f'{message}\n{message}\n    while executing\n"error "{message}" "\n    (procedure "::e2e::stop" line 1)\n'
                   '    invoked from within\n"::e2e::stop"\n    (file "', f".\n in ::menu::submenu\n\n{message}\n",
                   'e2e action failed\ne2e action failed\n    while executing\n"error "e2e action failed""',
                   "e2e puts Grüße Ж 日本\n"):
        check(report in console, f"no report {report!r} on the console:\n{console}")
    notices = program.read("notices.txt")
    check(notices.startswith("error in translateObj|keine Übersetzung für Ж 日本\n    while executing\n"),
          "no translation notice: " + notices)


def demo(run):
    """The demo as shipped, started as from a desktop with two files: its main
    window and its console window appear; Alt+F4 ends it with 0."""
    files = ["first file.txt", "second.txt"]
    args = [run.path(os.path.join(run.work, "app", name)) for name in files]
    program = run.start(files=files, args=args, console=False)
    window = run.find_window("^vesk2b", program, timeout=30, by="--classname")
    run.find_window(r"vesk2b\.exe$", program)  # Wine titles a console window with the program's path
    time.sleep(1)
    run.closed(program, window=window)


def filelist(run):
    """The demo with filelist.dll: the files named on the command line are rows
    of the list-view control, which has the keyboard focus. Its own keys (Home,
    End, type-ahead) select a row, Delete removes that row and only it, once;
    Ctrl+O opens the dialog, and once it is closed the list has the focus."""
    program, window = run.ready("demo_list.tcl", "^vesk2b - a.txt, b.txt, c.txt$", r"^rows\|a.txt,b.txt,c.txt$",
                                args=["a.txt", "b.txt", "c.txt"], files=["a.txt", "b.txt", "c.txt"],
                                extras={"demo.tcl": os.path.join(HERE, "..", "..", "default", "vesk.tcl")})
    check(os.path.exists(os.path.join(run.app, "filelist.dll")), "no filelist.dll beside the program")
    run.press("Home", "End", "Delete", window=window)
    program.wait_line(r"^say\|removed: ", "record.txt")
    run.cancel_dialog(program, ["ctrl+o"], window=window)
    program.wait_line(r"^say\|open: ", "record.txt")
    run.press("b", "Delete", window=window)
    program.wait_line(r"^rows\|a.txt$", "record.txt", count=2)  # the first while the files were added
    rows = [line for line in program.lines(source="record.txt") if re.match(r"rows|say\|removed", line)][-4:]
    check(rows == ["rows|a.txt,b.txt", "say|removed: 1", "rows|a.txt", "say|removed: 1"], f"rows after each Delete: {rows}")
    run.closed(program, window=window)


CASES = {
    # Under Wine the test scripts below (filelist, open_dialog, command_line) cover the demo's list, dialog,
    # command line and configuration; the next line's cases and broken_config passed there too, but each costs
    # a Wine start or two in every Windows run: only the menu by keyboard, which no Windows case covers, runs on both.
    **dict.fromkeys([title_lists_files, list_keys, open_dialog_cancel], ["gtk"]),
    menu_by_keyboard_once: ["gtk", "win32"],
    # Under Wine the X window holds the frame that Wine draws itself, so its
    # sizes are no client sizes, and no window manager runs (see torture).
    **dict.fromkeys([resize_runs_script, close_saves_and_restart_restores, broken_config], ["gtk"]),
    # The helper names keys under X keyboard layouts (setxkbmap); Windows names them itself.
    key_names: ["gtk"],
    **dict.fromkeys([command_line, bounds], ["gtk", "win32"]),
    # readback.dll reads titles, menus, rows and notices back from Windows.
    **dict.fromkeys([shortcuts, open_dialog, script_error], ["win32"]),
    # A console window of its own is a Windows program's.
    **dict.fromkeys([demo, filelist], ["win32"]),
}


def main():
    table = {case.__name__: platforms for case, platforms in CASES.items()}
    if sys.argv[1:2] == ["list"]:
        print(";".join(name for name, platforms in table.items() if sys.argv[2] in platforms))
        return
    if len(sys.argv) != 4 or sys.argv[2] not in table.get(sys.argv[1], ()):
        sys.exit(__doc__)
    name, platform, program = sys.argv[1], sys.argv[2], os.path.abspath(sys.argv[3])
    work = tempfile.mkdtemp(prefix=f"vesk2b-e2e-{name}-")
    try:
        with Run(work, platform, program) as run:
            globals()[name](run)
    except Failure as failure:
        sys.exit(f"FAILED: {failure}\n(files kept in {work})")
    shutil.rmtree(work, ignore_errors=True)
    print(f"e2e {name} on {platform}: passed")


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""End-to-end tests of vesk2b on GTK: the real program with the demo script,
on a private Xvfb display, driven by xdotool with real key and window events.

Usage: e2e.py CASE VESK2B   (CASE: one of the functions named case_*)

The demo writes one line per action to standard output; the tests read it.
"""
import ctypes
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

TIMEOUT = 10.0


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


class Display:
    """A private Xvfb server for one test."""

    def __init__(self):
        # Xvfb takes the first free number and reports it on the pipe once it
        # accepts clients.
        read_end, write_end = os.pipe()
        self.server = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24", "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            reported = pipe.readline().strip()
        if not reported.isdigit():
            self.server.wait(timeout=5)
            raise Failure("Xvfb did not start")
        self.name = f":{reported}"

    def close(self):
        self.server.terminate()
        self.server.wait(timeout=5)


class Program:
    """vesk2b running on a display, with a private home and its output in files."""

    def __init__(self, exe, display, home, args=(), cwd=None):
        self.display = display
        self.env = dict(os.environ)
        self.env.update(DISPLAY=display.name, HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"),
                        GSETTINGS_BACKEND="memory", NO_AT_BRIDGE="1", GTK_THEME="Adwaita", LC_ALL="C.UTF-8")
        self.out_path = os.path.join(home, "stdout.txt")
        self.err_path = os.path.join(home, "stderr.txt")
        with open(self.out_path, "wb") as out, open(self.err_path, "wb") as err:
            self.process = subprocess.Popen([exe, *args], stdout=out, stderr=err, env=self.env, cwd=cwd)
        self.window = self.find_window("vesk2b")

    def xdotool(self, *args, timeout=TIMEOUT):
        result = subprocess.run(["xdotool", *args], env=self.env, capture_output=True, text=True, timeout=timeout)
        return result.stdout.strip()

    def find_window(self, name):
        deadline = time.time() + TIMEOUT
        while time.time() < deadline:
            found = self.xdotool("search", "--onlyvisible", "--pid", str(self.process.pid), "--name", name)
            if found:
                return found.split()[0]
            check(self.process.poll() is None, "vesk2b ended early:\n" + self.stderr())
            time.sleep(0.05)
        raise Failure(f"no window named {name!r}\n" + self.stdout() + self.stderr())

    def geometry(self, window=None):
        text = self.xdotool("getwindowgeometry", "--shell", window or self.window)
        values = dict(line.split("=", 1) for line in text.splitlines() if "=" in line)
        return tuple(int(values[key]) for key in ("X", "Y", "WIDTH", "HEIGHT"))

    def focus(self):
        self.xdotool("windowfocus", "--sync", self.window)

    def key(self, *keys):
        self.xdotool("key", "--delay", "60", *keys)

    def stdout(self):
        with open(self.out_path, encoding="utf-8", errors="replace") as out:
            return out.read()

    def stderr(self):
        with open(self.err_path, encoding="utf-8", errors="replace") as err:
            return err.read()

    def lines(self, prefix):
        return [line for line in self.stdout().splitlines() if line.startswith(prefix)]

    def wait_line(self, pattern, count=1):
        """Waits until `count` lines match the regular expression; returns them."""
        deadline = time.time() + TIMEOUT
        while time.time() < deadline:
            found = [line for line in self.stdout().splitlines() if re.search(pattern, line)]
            if len(found) >= count:
                return found
            time.sleep(0.05)
        raise Failure(f"no line matching {pattern!r}; output:\n{self.stdout()}{self.stderr()}")

    def settle(self):
        """Lets the program handle what it was sent, so that late duplicates show."""
        time.sleep(0.6)

    def wait_exit(self):
        try:
            code = self.process.wait(timeout=TIMEOUT)
        except subprocess.TimeoutExpired:
            raise Failure("vesk2b did not end; output:\n" + self.stdout() + self.stderr())
        # Script errors go to the console report on standard error.
        check("while executing" not in self.stderr(), "script error:\n" + self.stderr())
        return code

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()


def close_window(display, window):
    """Asks the window to close the way a window manager does (WM_DELETE_WINDOW)."""

    class ClientMessage(ctypes.Structure):
        _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                    ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                    ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]

    class Event(ctypes.Union):
        _fields_ = [("client", ClientMessage), ("pad", ctypes.c_long * 24)]

    x11 = ctypes.CDLL("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
    x11.XFlush.argtypes = [ctypes.c_void_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    connection = x11.XOpenDisplay(display.name.encode())
    check(connection, "cannot open the display")
    event = Event()
    event.client.type = 33  # ClientMessage
    event.client.window = int(window)
    event.client.message_type = x11.XInternAtom(connection, b"WM_PROTOCOLS", 0)
    event.client.format = 32
    event.client.data[0] = x11.XInternAtom(connection, b"WM_DELETE_WINDOW", 0)
    event.client.data[1] = 0  # CurrentTime
    x11.XSendEvent(connection, int(window), 0, 0, ctypes.byref(event))
    x11.XFlush(connection)
    x11.XCloseDisplay(connection)


def make_files(home, names):
    """A folder of small files, each holding its name; returns the folder."""
    folder = os.path.join(home, "files")
    os.makedirs(folder)
    for name in names:
        with open(os.path.join(folder, name), "w") as file:
            file.write(name)
    return folder


def config_file(home):
    return os.path.join(home, ".config", "vesk2b", "vesk.conf")


# --------------------------------------------------------------------- cases

def case_title_lists_files(exe, display, home):
    """Three files on the command line, one with a blank and a dollar sign."""
    names = ["a.txt", "b c$.txt", "[c].log"]
    folder = make_files(home, names)
    program = Program(exe, display, home, args=names, cwd=folder)
    try:
        program.wait_line(r"^ready:")
        expected = "vesk2b - " + ", ".join(names)
        deadline = time.time() + TIMEOUT
        while program.xdotool("getwindowname", program.window) != expected and time.time() < deadline:
            time.sleep(0.05)
        check(program.xdotool("getwindowname", program.window) == expected,
              "title: " + program.xdotool("getwindowname", program.window))
        files = program.lines("file: ")
        check(files == ["file: " + os.path.join(folder, name) for name in names], "files: " + repr(files))
        program.focus()
        program.key("alt+F4")
        check(program.wait_exit() == 0, "exit code")
    finally:
        program.kill()


def case_list_keys(exe, display, home):
    """The filelist view shows the files named on the command line; while it has
    the focus its own keys (arrows, End, type-ahead) move in it, and the menu's
    shortcuts still work: Delete removes the selected row, Ctrl+O opens the
    dialog. The demo prints the rows it reads back from the widget."""
    names = ["a.txt", "b.txt", "c.txt", "d.txt"]
    folder = make_files(home, names)
    program = Program(exe, display, home, args=names, cwd=folder)
    try:
        program.wait_line(r"^list: a.txt, b.txt, c.txt, d.txt$")
        program.focus()
        for keys, left in ((["Down", "Down", "Delete"], "a.txt, c.txt, d.txt"), (["End", "Delete"], "a.txt, c.txt"),
                           (["c", "Return", "Delete"], "a.txt")):
            program.key(*keys)
            program.wait_line(r"^list: " + re.escape(left) + "$")
        program.key("ctrl+o")
        program.find_window("^Open$")
        program.key("Escape")
        program.wait_line(r"^open: error on GetOpenFileName/GetSaveFileName: 0$")
        check(len(program.lines("removed:")) == 3, "removals: " + repr(program.lines("removed:")))
        program.key("alt+F4")
        check(program.wait_exit() == 0, "exit code")
    finally:
        program.kill()


def case_open_dialog_cancel(exe, display, home):
    """Ctrl+O opens the chooser centred on the window; Escape cancels with code 0.
    With Caps Lock on, the shortcut still works."""
    program = Program(exe, display, home)
    try:
        program.wait_line(r"^ready:")
        program.xdotool("windowmove", "--sync", program.window, "200", "150")
        program.focus()
        for attempt in ("plain", "caps lock"):
            if attempt == "caps lock":
                program.key("Caps_Lock")
            program.key("ctrl+o")
            dialog = program.find_window("^Open$")
            time.sleep(0.3)  # the hook moves the dialog once it is mapped
            mx, my, mw, mh = program.geometry()
            dx, dy, dw, dh = program.geometry(dialog)
            check(abs(dx - (mx + int((mw - dw) / 2))) <= 2 and abs(dy - (my + int((mh - dh) / 2))) <= 2,
                  f"dialog {dx},{dy} {dw}x{dh} not centred on {mx},{my} {mw}x{mh}")
            program.key("Escape")
            program.settle()
            found = program.lines("open: ")
            expected = "open: error on GetOpenFileName/GetSaveFileName: 0"
            check(found == [expected] * len(found) and len(found) == (1 if attempt == "plain" else 2),
                  f"{attempt}: {found!r}")
            program.focus()
        program.key("Caps_Lock")
        program.key("alt+F4")
        check(program.wait_exit() == 0, "exit code")
    finally:
        program.kill()


def case_menu_by_keyboard_once(exe, display, home):
    """A menu item chosen with the keyboard runs once; so does a shortcut, and
    the shortcut shown in the menu is the one that works."""
    program = Program(exe, display, home)
    try:
        program.wait_line(r"^ready:")
        program.focus()
        program.key("F10", "Right", "Right", "Down", "Return")  # Help -> About
        program.wait_line(r"^about:")
        program.settle()
        check(len(program.lines("about:")) == 1, "About ran " + str(len(program.lines("about:"))) + " times")
        # View -> Language -> Deutsch rebuilds the bar from inside its own action.
        program.key("F10", "Right", "Down", "Down", "Down", "Down", "Down", "Right", "Down", "Return")
        program.wait_line(r"^language: de$")
        program.settle()
        check(len(program.lines("language:")) == 1, "language: " + repr(program.lines("language:")))
        # Ctrl+Shift+S after the rebuild opens the save dialog, with its German title.
        program.key("ctrl+shift+s")
        program.find_window("^Speichern unter$")
        program.key("Escape")
        program.wait_line(r"^save as: error on GetOpenFileName/GetSaveFileName: 0$")
        program.settle()
        check(len(program.lines("save as:")) == 1, "save as: " + repr(program.lines("save as:")))
        check(program.lines("open") == [], "Ctrl+Shift+S also ran Open: " + program.stdout())
        program.key("alt+F4")
        check(program.wait_exit() == 0, "exit code")
    finally:
        program.kill()


def case_resize_runs_script(exe, display, home):
    """Resizing from outside runs the resize script with the new client area;
    resizing from the script reports the new size once."""
    program = Program(exe, display, home)
    try:
        program.wait_line(r"^ready:")
        program.xdotool("windowsize", "--sync", program.window, "700", "500")
        program.wait_line(r"^resize: 0 0 700 ")
        program.settle()
        wide = program.lines("resize: 0 0 700 ")
        check(len(wide) == 1, "resize lines for 700 wide: " + repr(wide))
        line = wide[0]
        height = int(line.split()[-1])
        check(400 < height < 500, "client height below the bar: " + line)
        program.focus()
        program.key("F10", "Right", "Down", "Down", "Down", "Return")  # View -> Large
        program.wait_line(r"^view: Large$")
        program.settle()
        large = [entry for entry in program.lines("resize:") if entry.startswith("resize: 0 0 1024 ")]
        check(len(large) == 1, "resize lines for 1024 wide: " + repr(program.lines("resize:")))
        check(int(large[0].split()[-1]) == 768 - (500 - height), "client area of Large: " + large[0])
        x, y, width, height = program.geometry()
        check((width, height) == (1024, 768), f"window is {width}x{height}")
        program.key("alt+F4")
        check(program.wait_exit() == 0, "exit code")
    finally:
        program.kill()


def case_close_saves_and_restart_restores(exe, display, home):
    """Closing the window saves the configuration once and exits with 0; the
    next start puts the window back where it was."""
    program = Program(exe, display, home)
    try:
        program.wait_line(r"^ready:")
        check(not os.path.exists(config_file(home)), "config before the first run")
        program.xdotool("windowmove", "--sync", program.window, "300", "200")
        program.xdotool("windowsize", "--sync", program.window, "620", "440")
        program.wait_line(r"^resize: 0 0 620 ")
        close_window(display, program.window)
        check(program.wait_exit() == 0, "exit code after closing")
        check(len(program.lines("config saved:")) == 1, "saves: " + repr(program.lines("config")))
    finally:
        program.kill()
    with open(config_file(home)) as file:
        saved = file.read()
    check("bounds {300 200 620 440}" in saved, "saved config:\n" + saved)

    program = Program(exe, display, home)
    try:
        program.wait_line(r"^ready:")
        check(program.lines("bounds restored:") == ["bounds restored: 300 200 620 440"],
              "restore: " + program.stdout())
        deadline = time.time() + TIMEOUT
        while program.geometry() != (300, 200, 620, 440) and time.time() < deadline:
            time.sleep(0.05)
        check(program.geometry() == (300, 200, 620, 440), "window at " + repr(program.geometry()))
        program.focus()
        program.key("alt+F4")
        check(program.wait_exit() == 0, "exit code after Alt+F4")
        check(len(program.lines("config saved:")) == 1, "saves: " + repr(program.lines("config")))
    finally:
        program.kill()

    # Under openbox: bounds read in the exit action after the framing stay the same across restarts.
    manager = subprocess.Popen(["openbox", "--sm-disable"], env=dict(os.environ, DISPLAY=display.name, HOME=home))
    try:
        time.sleep(1.0)  # managing the screen
        for start in (1, 2):
            program = Program(exe, display, home)
            program.wait_line(r"^ready:")
            program.settle()  # framed by now
            program.focus()
            program.key("F10", "Up", "Return")  # File -> Exit
            check(program.wait_exit() == 0, "exit code under openbox")
            with open(config_file(home)) as file:
                check("bounds {300 200 620 440}" in file.read(), f"bounds saved after start {start} under openbox moved")
    finally:
        program.kill()
        manager.terminate()


def case_broken_config(exe, display, home):
    """A configuration file that is no dictionary, or holds nonsense values,
    does not stop the program."""
    os.makedirs(os.path.dirname(config_file(home)))
    for content in ("bounds {1 2 3\n", "bounds {a b c d} language xx recent {{} screen 7\n"):
        with open(config_file(home), "w") as file:
            file.write(content)
        program = Program(exe, display, home, args=["missing.txt"])
        try:
            program.wait_line(r"^ready: language en$")
            check(program.lines("bounds restored") == [], "restored from a broken file")
            program.focus()
            program.key("alt+F4")
            check(program.wait_exit() == 0, "exit code")
            check(len(program.lines("config saved:")) == 1, "saves: " + repr(program.lines("config")))
        finally:
            program.kill()


def case_key_names(exe, display, home):
    """Character keys are named by the layout's unshifted character, as Windows names them; Z moves with its key."""
    env = dict(os.environ, DISPLAY=display.name, NO_AT_BRIDGE="1", GSETTINGS_BACKEND="memory")
    for layout, names in {"us": "- = [ \\ . / Y Num 1 / 2C", "de": "ß ´ Ü # . - Z Num 1 / 15"}.items():
        subprocess.run(["setxkbmap", layout], env=env, check=True)
        got = subprocess.run([os.path.join(os.path.dirname(exe), "tests", "gtk", "gtk_key_names"), "0C", "0D", "1A", "2B",
                              "34", "35", "15", "4F"], env=env, capture_output=True, text=True)
        check(got.stdout.strip() == names, f"{layout}: {got.stdout.strip()!r} {got.stderr}")


def main():
    if len(sys.argv) != 3 or "case_" + sys.argv[1] not in globals():
        sys.exit(__doc__)
    case = globals()["case_" + sys.argv[1]]
    exe = os.path.abspath(sys.argv[2])
    for tool in ("Xvfb", "xdotool"):
        check(shutil.which(tool), tool + " is not installed")
    display = Display()
    home = tempfile.mkdtemp(prefix="vesk2b-e2e-")
    try:
        case(exe, display, home)
    except Failure as failure:
        print("FAILED:", failure)
        sys.exit(1)
    finally:
        display.close()
        shutil.rmtree(home, ignore_errors=True)
    print("passed:", sys.argv[1])


if __name__ == "__main__":
    main()

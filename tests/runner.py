#!/usr/bin/env python3
"""Runs the real programs for the tests: stages a program folder, starts the
display (Xvfb, with openbox or weston on request), runs the program natively
or under Wine, presses keys, waits for windows and lines, collects the console
and the files the script writes, and stops everything it started.

Under Wine the display and the prefix are shared by a whole test run (the
CTest fixture <arch>.env): VESK_WIN32_STATE holds prefix/, display and
xvfb.pid; VESK_WINE_ARCH (win32 or win64) picks the prefix's kind.

Command line: runner.py wine-setup | wine-cleanup | wine-exports | on-display COMMAND...
(wine-exports prints the Wine environment as shell exports; on-display runs
the command on an Xvfb display of its own).
"""
import contextlib
import ctypes
import os
import pathlib
import re
import shlex
import shutil
import signal
import subprocess
import sys
import time

SOURCE = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
TIMEOUT = 10.0
# Native code that scripts load sits beside the program, with what it links.
NATIVE = ("tcl86.dll", "filelist.so", "filelist.dll", "libkestrum.so.1", "kestrum.dll", "readback.dll")


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def poll(probe, why, timeout=TIMEOUT, interval=0.05):
    """Calls probe until it returns something true and returns that; fails
    with why() (or why) once the time is up."""
    deadline = time.time() + timeout
    while not (found := probe()):
        if time.time() > deadline:
            raise Failure(why() if callable(why) else why)
        time.sleep(interval)
    return found


def stage(folder, program, script=None, extras=None):
    """A fresh program folder: the program and the native libraries built
    beside it, default/vesk.tcl (the shipped script unless given) and the
    extra files in default/ ({name: source}). Returns the staged program."""
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(os.path.join(folder, "default"))
    for name in (os.path.basename(program),) + NATIVE:
        if os.path.exists(os.path.join(os.path.dirname(program), name)):
            shutil.copy(os.path.join(os.path.dirname(program), name), folder)
    for name, source in {"vesk.tcl": script or os.path.join(SOURCE, "default", "vesk.tcl"), **(extras or {})}.items():
        shutil.copy(source, os.path.join(folder, "default", name))
    return os.path.join(folder, os.path.basename(program))


# ------------------------------------------------------------------- Wine

def wine_state():
    return os.path.realpath(os.environ["VESK_WIN32_STATE"])


def wine_env():
    """The variables of the shared Wine environment, DISPLAY included once it runs."""
    arch = os.environ.get("VESK_WINE_ARCH", "win32")
    # Debian's `wine` starts the 32-bit loader whenever wine32 is installed.
    loader = "wine" if arch == "win32" else shutil.which("wine64") or "/usr/lib/wine/wine64"
    # Wine converts command lines and console output in the locale's
    # character set: UTF-8 carries every letter of the tests. No Mono or
    # Gecko prompts: nothing needs .NET or HTML.
    env = dict(WINEPREFIX=os.path.join(wine_state(), "prefix"), WINEARCH=arch, VESK_WINE=loader, WINEDEBUG="-all",
               LANG="C.UTF-8", WINEDLLOVERRIDES="mscoree,mshtml=", SHELL="/bin/bash")
    display = pathlib.Path(wine_state(), "display")
    if display.exists():
        env["DISPLAY"] = ":" + display.read_text().strip()
    return env


def wine_setup():
    """Makes the prefix once, starts Xvfb and a persistent wineserver."""
    state = wine_state()
    os.makedirs(state, exist_ok=True)
    env = {name: value for name, value in dict(os.environ, **wine_env()).items() if name not in ("LC_ALL", "LC_CTYPE")}
    log = open(os.path.join(state, "session.log"), "a")
    if not os.path.exists(os.path.join(env["WINEPREFIX"], "system.reg")):
        shutil.rmtree(env["WINEPREFIX"], ignore_errors=True)
        subprocess.run([env["VESK_WINE"], "wineboot", "-i"], env=dict(env, DISPLAY=""), stdin=subprocess.DEVNULL,
                       stdout=log, stderr=log, check=True)
        subprocess.run(["wineserver", "-w"], env=env, check=True)
    if "DISPLAY" not in env or not alive(os.path.join(state, "xvfb.pid")):
        # Outlives this process: the fixture's cleanup stops it by its id.
        server, name = start_xvfb(log, new_session=True)
        for file_name, value in (("xvfb.pid", str(server.pid)), ("display", name[1:])):
            pathlib.Path(state, file_name).write_text(value)
        env["DISPLAY"] = name
    # A persistent wineserver keeps every start equally cheap; the first
    # program also starts Wine's services and desktop process, which live as
    # long as the server: started here, away from any test's output pipe.
    # With no window manager, X focus changes (xdotool) make the focused
    # window the foreground window, as a click would.
    for command in (["wineserver", "-p"], [env["VESK_WINE"], "cmd.exe", "/c", "exit"],
                    [env["VESK_WINE"], "reg", "add", r"HKCU\Software\Wine\X11 Driver", "/v", "UseTakeFocus",
                     "/t", "REG_SZ", "/d", "N", "/f"]):
        subprocess.run(command, env=env, stdin=subprocess.DEVNULL, stdout=log, stderr=log)
    print("Wine environment on", env["DISPLAY"])


def alive(pid_file, send=0):
    """Whether the process named in the file runs; sends it the signal."""
    try:
        os.kill(int(pathlib.Path(pid_file).read_text()), send)
        return True
    except (OSError, ValueError):
        return False


# ---------------------------------------------------------------- display

def start_xvfb(log=subprocess.DEVNULL, new_session=False):
    """Xvfb on the first free display number, which it reports on a pipe
    once it accepts clients. Returns the server and the display's name."""
    read_end, write_end = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1600x1200x24", "-nolisten", "tcp",
                               "-noreset"], pass_fds=(write_end,), stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                              start_new_session=new_session)
    os.close(write_end)
    with os.fdopen(read_end) as pipe:
        reported = pipe.readline().strip()
    check(reported.isdigit(), "Xvfb did not start")
    return server, ":" + reported


class Session(contextlib.AbstractContextManager):
    """One test's display and the programs on it; `with` stops them all.
    platform: headless, gtk (Xvfb), gtk-openbox, gtk-wayland (weston's
    headless backend, no X server) or win32 (the shared Wine environment)."""

    def __init__(self, work, platform="gtk"):
        self.work, self.platform, self.wine = work, platform, platform == "win32"
        self.servers, self.programs = [], []
        runtime = os.path.join(work, "runtime")
        os.makedirs(runtime, mode=0o700, exist_ok=True)
        # GTK with no session around it: no settings daemon, no accessibility bus.
        self.env = dict(os.environ, HOME=work, XDG_CONFIG_HOME=os.path.join(work, ".config"), XDG_RUNTIME_DIR=runtime,
                        GSETTINGS_BACKEND="memory", NO_AT_BRIDGE="1", GTK_THEME="Adwaita", LC_ALL="C.UTF-8")
        for name in ("WAYLAND_DISPLAY", "GDK_BACKEND", "DISPLAY"):
            self.env.pop(name, None)
        if self.wine:
            self.env.update(wine_env())
            check("DISPLAY" in self.env, "no Wine environment: run the fixture <arch>.env.setup first")
            del self.env["LC_ALL"]
        elif platform == "gtk-wayland":
            socket = f"vesk-{os.getpid()}"
            self.serve(["weston", "--backend=headless-backend.so", "--socket=" + socket, "--idle-time=0"],
                       lambda: os.path.exists(os.path.join(runtime, socket)), "weston")
            self.env.update(WAYLAND_DISPLAY=socket, GDK_BACKEND="wayland")
        elif platform != "headless":
            server, self.env["DISPLAY"] = start_xvfb()
            self.servers.append(server)
            if platform == "gtk-openbox":
                self.start_window_manager()

    def __exit__(self, *error):
        for program in self.programs:
            program.kill()
        for server in reversed(self.servers):
            server.terminate()
            server.wait(timeout=5)

    def serve(self, command, ready, name):
        log = os.path.join(self.work, name + ".log")
        with open(log, "w") as out:
            self.servers.append(subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=out, stderr=out, env=self.env))
        poll(ready, lambda: f"{name} did not start: " + open(log).read())

    def start_window_manager(self):
        """openbox, ready once it has claimed the screen."""
        self.serve(["openbox", "--sm-disable"], lambda: "window id" in subprocess.run(
            ["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], env=self.env, capture_output=True, text=True).stdout,
            "openbox")

    def start(self, exe, args=(), console=True):
        return Program(self, exe, args, console)

    def path(self, unix_path):
        """The path as the program sees it: under Wine a Windows path."""
        return subprocess.run([self.env["VESK_WINE"], "winepath", "-w", unix_path], env=self.env, capture_output=True,
                              text=True).stdout.strip() if self.wine else unix_path

    def xdotool(self, *args):
        """xdotool's output; its exit status is left in self.status."""
        result = subprocess.run(["xdotool", *args], env=self.env, capture_output=True, text=True, timeout=TIMEOUT)
        self.status = result.returncode
        return result.stdout.strip()

    def windows(self, pattern, by="--name", program=None):
        """Visible windows by title (or class); a native program's only."""
        owner = ["--all", "--pid", str(program.process.pid)] if program and not self.wine else []
        return self.xdotool("search", "--onlyvisible", *owner, by, pattern).split()

    def find_window(self, pattern, program=None, timeout=15, by="--name"):
        def look():
            if program and not program.running():
                raise Failure("the program ended early:\n" + program.output())
            return self.windows(pattern, by, program)
        return poll(look, lambda: f"no window {pattern!r}\n" + (program.output() if program else ""), timeout)[0]

    def geometry(self, window):
        values = dict(re.findall(r"^(\w+)=(-?\d+)$", self.xdotool("getwindowgeometry", "--shell", window), re.M))
        return tuple(int(values[key]) for key in ("X", "Y", "WIDTH", "HEIGHT"))

    def press(self, *keys, window=None):
        """Real key presses, on the given window after focusing it, or on
        whatever has the focus."""
        if window:
            self.xdotool("windowfocus", "--sync", window)
            if self.wine:
                if self.status:
                    self.xdotool("windowfocus", window)
                time.sleep(0.2)  # Wine makes the focused window active a moment later
        self.xdotool("key", *(["--clearmodifiers"] if self.wine else ["--delay", "60"]), *keys)

    def close_window(self, window):
        """Asks the window to close the way a window manager does (WM_DELETE_WINDOW)."""
        x11 = ctypes.CDLL("libX11.so.6")
        x11.XOpenDisplay.restype = ctypes.c_void_p
        x11.XInternAtom.restype = ctypes.c_ulong
        x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
        x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
        x11.XSetErrorHandler(_IGNORE_X_ERRORS)
        connection = x11.XOpenDisplay(self.env["DISPLAY"].encode())
        check(connection, "cannot open the display")
        # An XClientMessageEvent in an XEvent's 24 longs: each of its fields
        # (type, serial, send_event, display, window, message_type, format,
        # data) takes a long's room on both 32- and 64-bit Linux.
        event = (ctypes.c_long * 24)(33, 0, 0, 0, int(window), x11.XInternAtom(connection, b"WM_PROTOCOLS", 0), 32,
                                     x11.XInternAtom(connection, b"WM_DELETE_WINDOW", 0))
        x11.XSendEvent(connection, int(window), 0, 0, ctypes.byref(event))
        x11.XCloseDisplay(connection)  # sends the event, and waits for the server (XSync)


class Program:
    """One run of the program. Its console is standard error, or under Wine
    the console it opens: wine runs on a pseudo-terminal (script(1)), so Wine
    attaches the console to the terminal, whose log (written at once, -f) is
    the console's text (1000 columns wide, so that Wine breaks no long line).
    With console=False it is started as from a desktop and opens a console
    window of its own."""

    def __init__(self, session, exe, args, console):
        self.folder = os.path.dirname(exe)
        self.out_path, self.err_path, self.log_path = (os.path.join(session.work, f"{name}{len(session.programs)}.txt")
                                                       for name in ("stdout", "stderr", "console"))
        command = [exe, *args]
        if session.wine:
            command = [session.env["VESK_WINE"], *command]
            if console:
                command = ["script", "-q", "-e", "-f", "-c", "stty -onlcr cols 1000; exec " + shlex.join(command), self.log_path]
        with open(self.out_path, "wb") as out, open(self.err_path, "wb") as err:
            self.process = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=out, stderr=err, env=session.env,
                                            cwd=self.folder, start_new_session=True)
        session.programs.append(self)

    def running(self):
        return self.process.poll() is None

    def read(self, name):
        """stdout, console, or a file the script wrote in default/. Under
        Wine standard output is the console."""
        console = name in ("stdout", "console") and os.path.exists(self.log_path)
        path = pathlib.Path(self.log_path if console else {"stdout": self.out_path, "console": self.err_path}.get(
            name, os.path.join(self.folder, "default", name)))
        text = path.read_text(encoding="utf-8", errors="replace") if path.exists() else ""
        if console:
            # Without script(1)'s frame lines, the terminal's escapes and CRs.
            text = re.sub(r"\A(Script started[^\n]*\n)|^Script done[^\n]*\n?", "", text, flags=re.M)
            text = re.sub(r"\x1b\[[0-9;?]*[A-Za-z]|\r", "", text)
        return text

    def output(self):
        return self.read("console") if os.path.exists(self.log_path) else self.read("stdout") + self.read("console")

    def lines(self, prefix="", source="stdout"):
        return [line for line in self.read(source).splitlines() if line.startswith(prefix)]

    def wait_line(self, pattern, source="stdout", count=1, timeout=TIMEOUT):
        """Waits until `count` lines match the regular expression; returns them."""
        def look():
            found = [line for line in self.read(source).splitlines() if re.search(pattern, line)]
            return found if len(found) >= count else None
        return poll(look, lambda: f"no line matching {pattern!r} in {source}:\n{self.read(source)}{self.output()}",
                    timeout)

    def wait_exit(self, timeout=20):
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise Failure("the program did not end; output:\n" + self.output())

    def kill(self):
        if self.running():
            os.killpg(self.process.pid, signal.SIGTERM)
            try:
                self.process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                os.killpg(self.process.pid, signal.SIGKILL)
                self.process.wait()


# A window may go between the look for it and the request to close it;
# Xlib's default handler would end the test on that error.
_IGNORE_X_ERRORS = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)(lambda display, event: 0)


if __name__ == "__main__":
    if sys.argv[1:] == ["wine-setup"]:
        wine_setup()
    elif sys.argv[1:] == ["wine-cleanup"]:
        subprocess.run(["wineserver", "-k"], env=dict(os.environ, **wine_env()), stderr=subprocess.DEVNULL)
        alive(os.path.join(wine_state(), "xvfb.pid"), signal.SIGTERM)
        for name in ("xvfb.pid", "display"):
            pathlib.Path(wine_state(), name).unlink(missing_ok=True)
    elif sys.argv[1:] == ["wine-exports"]:
        print("unset LC_ALL LC_CTYPE\n" + "".join(f"export {name}={shlex.quote(value)}\n" for name, value in wine_env().items()))
    elif sys.argv[1:2] == ["on-display"] and len(sys.argv) > 2:
        server, name = start_xvfb()
        try:
            code = subprocess.run(sys.argv[2:], env=dict(os.environ, DISPLAY=name, NO_AT_BRIDGE="1")).returncode
        finally:
            server.terminate()
            server.wait(timeout=5)
        sys.exit(code)
    else:
        sys.exit(__doc__)

#!/usr/bin/env python3
"""Runs torture scripts in a real program: the gtk program (built with the
sanitizers) on a private Xvfb display, or vesk2b.exe under Wine on the display
of tests/win32/wine_env.sh. Each script is the program's default/vesk.tcl.

While a program runs, the harness dismisses the message boxes of failing
translations with a key press, as a user would; once the script has run to
its end it presses the keys the script lists (shortcuts that run actions
through the real accelerator tables) and then asks the window to close, the
way a window manager does.

A run passes when the program exits with 0, the script reached its end and
::config::save ran, no invariant broke, a window that was destroyed (by the
script or a key) is off the screen, and (gtk) standard error holds no
sanitizer report and no GLib, GDK or GTK warning or critical.

Usage: run_programs.py gtk|win32 PROGRAM WRITER FIRST_SEED SCRIPTS SEQUENCES_PER_SCRIPT
WRITER is the torture_scripts executable (a .exe runs under Wine). For win32,
VESK_WIN32_STATE names the running Wine environment (wine_env.sh).
"""
import ctypes
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
# The Wine loader of the programs' architecture (VESK_WINE, as in wine_env.sh).
WINE = os.environ.get("VESK_WINE", "wine")
sys.path.insert(0, os.path.join(HERE, "..", "gtk"))
import e2e  # noqa: E402  (Display and close_window)

# A window may go between the look for it and the request to close it; Xlib's
# default handler would end the harness on that error.
_X_ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)(lambda display, event: 0)
ctypes.CDLL("libX11.so.6").XSetErrorHandler(_X_ERROR_HANDLER)

RUN_TIMEOUT = 60.0
BOX_TITLE = "^error in translate(Obj)?$"
DIALOG_TITLE = "^torture dialog$"  # gtk: typed into, then cancelled
TYPED_PATHS = ["/tmp/vesk2b-torture-none/a b.txt", "~/", "../x/y.log", "/"]
MAIN_TITLE = "^vesk torture"
SANITIZER = re.compile(r"ERROR: (Address|Leak)Sanitizer|runtime error:|Sanitizer:DEADLYSIGNAL|SUMMARY: \w+Sanitizer")
GLIB_WARNING = re.compile(r"^.*(?:CRITICAL|WARNING) \*\*.*$", re.MULTILINE)


class Harness:
    def __init__(self, platform, program, work):
        self.platform = platform
        self.work = work
        self.app = os.path.join(work, "app")
        os.makedirs(os.path.join(self.app, "default"))
        self.env = dict(os.environ)
        if platform == "gtk":
            self.display = e2e.Display()
            home = os.path.join(work, "home")
            os.makedirs(home)
            shutil.copy(program, self.app)
            self.command = [os.path.join(self.app, os.path.basename(program))]
            suppressions = os.path.join(HERE, "..", "gtk", "lsan.supp")
            self.env.update(
                DISPLAY=self.display.name, HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"),
                GSETTINGS_BACKEND="memory", NO_AT_BRIDGE="1", GTK_THEME="Adwaita", LC_ALL="C.UTF-8",
                # Options the caller sets come after the harness's and win.
                ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:print_summary=1:" + os.environ.get("ASAN_OPTIONS", ""),
                UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:print_summary=1",
                LSAN_OPTIONS=f"suppressions={suppressions}:print_suppressions=0")
        else:
            self.display = None
            state = os.environ["VESK_WIN32_STATE"]
            with open(os.path.join(state, "display")) as number:
                self.env["DISPLAY"] = ":" + number.read().strip()
            # Wine's own errors go to the console log, for a failed run's report.
            self.env["WINEDEBUG"] = "err+all,fixme-all"
            folder = os.path.dirname(program)
            for name in ("vesk2b.exe", "tcl86.dll"):
                shutil.copy(os.path.join(folder, name), self.app)
            # On a pseudo-terminal Wine attaches the program's console to it,
            # so console reports land in a file (as in tests/win32/e2e.sh).
            self.command = ["script", "-q", "-e", "-c", "stty -onlcr cols 1000; exec " + WINE + " vesk2b.exe",
                            os.path.join(self.app, "console.log")]
            # No window manager, as in the other Windows tests, although Wine
            # then waits two seconds for one at every window it hides: with
            # one, the window manager's configure events reach the window
            # procedure from inside Wine's X event handling, which handles no
            # further X events, so that a message box shown by the resize
            # script there never sees a key.
        self.boxes = self.keys = self.retries = self.dialogs = 0

    def close(self):
        if self.display:
            self.display.close()

    def xdotool(self, *args):
        result = subprocess.run(["xdotool", *args], env=self.env, capture_output=True, text=True, timeout=10)
        return result.stdout.split()

    def press(self, window, key):
        self.xdotool("windowfocus", "--sync", window)
        if self.platform == "win32":
            time.sleep(0.2)  # Wine makes the focused window active a moment later
        self.xdotool("key", "--clearmodifiers", key)

    def dismiss_boxes(self):
        boxes = self.xdotool("search", "--onlyvisible", "--name", BOX_TITLE)
        if not boxes:
            return False
        # The newest first: a box shown from inside another box's loop has
        # to go before the one under it can return.
        box = max(boxes, key=int)
        self.press(box, "Return")
        self.boxes += 1
        # Gone before the next look, so that no box is counted twice.
        deadline = time.time() + 2.0
        while box in self.xdotool("search", "--onlyvisible", "--name", BOX_TITLE) and time.time() < deadline:
            time.sleep(0.02)
        return True

    def answer_dialog(self):
        dialogs = self.xdotool("search", "--onlyvisible", "--name", DIALOG_TITLE)
        if not dialogs:
            return False
        self.xdotool("windowfocus", "--sync", dialogs[0])
        self.xdotool("type", "--delay", "20", TYPED_PATHS[self.dialogs % len(TYPED_PATHS)])
        self.dialogs += 1
        while dialogs[0] in self.xdotool("search", "--onlyvisible", "--name", DIALOG_TITLE):
            self.xdotool("key", "Escape")  # the first may only close the completion list
            time.sleep(0.2)
        return True

    def run(self, script):
        """Runs one script; returns None when it passed, or why it failed.
        A run in which Wine could not start its display driver (its desktop
        process was restarting) never reached the program: it runs again.
        Any other failure, a crash included, fails the run."""
        why = self.run_once(script)
        if why and self.platform == "win32" and "nodrv_CreateWindow" in why:
            self.retries += 1
            why = self.run_once(script)
        return why

    def run_once(self, script):
        with open(script) as file:
            keys = file.readline().split()[2:]
        shutil.copy(script, os.path.join(self.app, "default", "vesk.tcl"))
        status_path = os.path.join(self.app, "default", "status.txt")
        out_path, err_path = os.path.join(self.work, "stdout.txt"), os.path.join(self.work, "stderr.txt")
        for path in (status_path, os.path.join(self.app, "console.log")):
            if os.path.exists(path):
                os.remove(path)
        with open(out_path, "wb") as out, open(err_path, "wb") as err:
            process = subprocess.Popen(self.command, stdin=subprocess.DEVNULL, stdout=out, stderr=err,
                                       env=self.env, cwd=self.app)
        deadline = time.time() + RUN_TIMEOUT
        last_close = 0.0
        try:
            while process.poll() is None:
                if time.time() > deadline:
                    names = [" ".join(self.xdotool("getwindowname", w))
                             for w in self.xdotool("search", "--onlyvisible", "--name", ".")]
                    return "did not end within %.0f s; windows: %r" % (RUN_TIMEOUT, names)
                if self.dismiss_boxes() or (self.platform == "gtk" and self.answer_dialog()):
                    continue
                # A script that stopped before its end is closed all the same
                # (and fails below).
                status = read_lines(status_path)
                if "end" in status or time.time() > deadline - RUN_TIMEOUT / 2:
                    main = self.xdotool("search", "--onlyvisible", "--name", MAIN_TITLE)
                    if main and ("gone" in status or "saved" in status):
                        return "the window was destroyed, but it is still on the screen"
                    if main and keys:
                        self.press(main[0], keys.pop(0))
                        self.keys += 1
                        continue
                    if main and time.time() - last_close > 1.0:
                        e2e.close_window(self.display or Named(self.env["DISPLAY"]), main[0])
                        last_close = time.time()
                time.sleep(0.05)
        finally:
            if process.poll() is None:
                process.kill()
                process.wait()
        return self.verdict(process.returncode, read_lines(status_path), err_path)

    def verdict(self, code, status, err_path):
        with open(err_path, encoding="utf-8", errors="replace") as err:
            stderr = err.read()
        console = ""
        if self.platform == "win32":
            with open(os.path.join(self.app, "console.log"), encoding="utf-8", errors="replace") as log:
                console = log.read()
        if SANITIZER.search(stderr):
            return "sanitizer report:\n" + stderr[-6000:]
        warnings = GLIB_WARNING.findall(stderr)
        if warnings:
            return "GLib warnings:\n" + "\n".join(warnings[:10])
        broken = [line for line in status if line.startswith("broken:")]
        if broken:
            return "\n".join(broken)
        if code != 0:
            return f"exit code {code}\n" + (console or stderr)[-4000:]
        if "end" not in status or status.count("saved") != 1:
            return f"status {status!r}\n" + (console or stderr)[-4000:]
        return None


class Named:
    def __init__(self, name):
        self.name = name


def read_lines(path):
    try:
        with open(path) as file:
            return file.read().split("\n")
    except FileNotFoundError:
        return []


def main():
    if len(sys.argv) != 7 or sys.argv[1] not in ("gtk", "win32"):
        sys.exit(__doc__)
    platform, program, writer = sys.argv[1], os.path.abspath(sys.argv[2]), os.path.abspath(sys.argv[3])
    first, count, sequences = int(sys.argv[4], 0), int(sys.argv[5]), int(sys.argv[6])
    work = tempfile.mkdtemp(prefix=f"vesk2b-torture-{platform}-")
    scripts = os.path.join(work, "scripts")
    os.makedirs(scripts)
    write = [writer, scripts, str(first), str(count), str(sequences)] + (["dialogs"] if platform == "gtk" else [])
    subprocess.run([WINE, *write] if writer.endswith(".exe") else write, check=True)
    harness = Harness(platform, program, work)
    failures = []
    started = time.time()
    try:
        for seed in range(first, first + count):
            script = os.path.join(scripts, f"{seed}.tcl")
            why = harness.run(script)
            if why:
                kept = os.path.join(tempfile.gettempdir(), f"vesk2b-torture-{platform}-{seed}.tcl")
                shutil.copy(script, kept)
                failures.append(seed)
                print(f"FAILED seed {seed} (script kept as {kept}): {why}\n", flush=True)
    finally:
        harness.close()
    elapsed = time.time() - started
    print(f"torture {platform}: {count} runs, {count * sequences} sequences, {len(failures)} failed "
          f"{failures[:20]}; {harness.boxes} message boxes dismissed, {harness.dialogs} dialogs typed into, {harness.keys} keys pressed; "
          + (f"{harness.retries} runs again after Wine had no display driver; " if platform == "win32" else "")
          + f"{elapsed:.0f} s")
    if not failures:
        shutil.rmtree(work, ignore_errors=True)
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()

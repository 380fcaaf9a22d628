#!/usr/bin/env python3
"""Runs torture scripts in a real program: the gtk program (built with the
sanitizers) on a private Xvfb display, or vesk2b.exe under Wine in the
environment of tests/runner.py. Each script is the program's default/vesk.tcl.

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
VESK_WIN32_STATE names the running Wine environment (tests/runner.py).
"""
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
from runner import Session, stage, wine_env  # noqa: E402

RUN_TIMEOUT = 60.0
BOX_TITLE = "^error in translate(Obj)?$"
DIALOG_TITLE = "^torture dialog$"  # gtk: typed into, then cancelled
TYPED_PATHS = ["/tmp/vesk2b-torture-none/a b.txt", "~/", "../x/y.log", "/"]
MAIN_TITLE = "^vesk torture"
SANITIZER = re.compile(r"ERROR: (Address|Leak)Sanitizer|runtime error:|Sanitizer:DEADLYSIGNAL|SUMMARY: \w+Sanitizer")
GLIB_WARNING = re.compile(r"^.*(?:CRITICAL|WARNING) \*\*.*$", re.MULTILINE)


class Harness(Session):
    def __init__(self, platform, program, work):
        self.app = os.path.join(work, "app")
        self.exe = stage(self.app, program)
        # No window manager under Wine, as in the other Windows tests, although
        # Wine then waits two seconds for one at every window it hides: with
        # one, the window manager's configure events reach the window procedure
        # from inside Wine's X event handling, which handles no further X
        # events, so that a message box shown by the resize script there never
        # sees a key.
        super().__init__(work, platform)
        self.env.update(
            # Options the caller sets come after the harness's and win.
            ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:print_summary=1:" + os.environ.get("ASAN_OPTIONS", ""),
            UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:print_summary=1",
            LSAN_OPTIONS=f"suppressions={os.path.join(HERE, '..', 'gtk', 'lsan.supp')}:print_suppressions=0",
            # Wine's own errors go to the console, for a failed run's report.
            WINEDEBUG="err+all,fixme-all")
        self.boxes = self.keys = self.retries = self.dialogs = 0

    def dismiss_boxes(self):
        boxes = self.windows(BOX_TITLE)
        if not boxes:
            return False
        # The newest first: a box shown from inside another box's loop has
        # to go before the one under it can return.
        box = max(boxes, key=int)
        self.press("Return", window=box)
        self.boxes += 1
        # Gone before the next look, so that no box is counted twice.
        deadline = time.time() + 2.0
        while box in self.windows(BOX_TITLE) and time.time() < deadline:
            time.sleep(0.02)
        return True

    def answer_dialog(self):
        dialogs = self.windows(DIALOG_TITLE)
        if not dialogs:
            return False
        self.xdotool("windowfocus", "--sync", dialogs[0])
        self.xdotool("type", "--delay", "20", TYPED_PATHS[self.dialogs % len(TYPED_PATHS)])
        self.dialogs += 1
        while dialogs[0] in self.windows(DIALOG_TITLE):
            self.xdotool("key", "Escape")  # the first may only close the completion list
            time.sleep(0.2)
        return True

    def run(self, script):
        """Runs one script; returns None when it passed, or why it failed."""
        keys = pathlib.Path(script).read_text().splitlines()[0].split()[2:]
        shutil.copy(script, os.path.join(self.app, "default", "vesk.tcl"))
        pathlib.Path(self.app, "default", "status.txt").unlink(missing_ok=True)
        program = self.start(self.exe)
        deadline = time.time() + RUN_TIMEOUT
        last_close = 0.0
        try:
            while program.running():
                if time.time() > deadline:
                    names = [self.xdotool("getwindowname", w) for w in self.windows(".")]
                    return "did not end within %.0f s; windows: %r" % (RUN_TIMEOUT, names)
                if self.dismiss_boxes() or (self.platform == "gtk" and self.answer_dialog()):
                    continue
                # A script that stopped before its end is closed all the same
                # (and fails below).
                status = program.read("status.txt").split("\n")
                if "end" in status or time.time() > deadline - RUN_TIMEOUT / 2:
                    main = self.windows(MAIN_TITLE)
                    if main and ("gone" in status or "saved" in status):
                        return "the window was destroyed, but it is still on the screen"
                    if main and keys:
                        self.press(keys.pop(0), window=main[0])
                        self.keys += 1
                        continue
                    if main and time.time() - last_close > 1.0:
                        self.close_window(main[0])
                        last_close = time.time()
                time.sleep(0.05)
        finally:
            program.kill()
        code, status, console = program.process.returncode, program.read("status.txt").split("\n"), program.read("console")
        gtk = self.platform == "gtk"
        warnings = GLIB_WARNING.findall(console) if gtk else []
        broken = [line for line in status if line.startswith("broken:")]
        problems = ((gtk and SANITIZER.search(console), "sanitizer report:\n" + console[-6000:]),
                    (warnings, "GLib warnings:\n" + "\n".join(warnings[:10])),
                    (broken, "\n".join(broken)),
                    (code != 0, f"exit code {code}\n" + console[-4000:]),
                    ("end" not in status or status.count("saved") != 1, f"status {status!r}\n" + console[-4000:]))
        return next((why for found, why in problems if found), None)


if __name__ == "__main__":
    if len(sys.argv) != 7 or sys.argv[1] not in ("gtk", "win32"):
        sys.exit(__doc__)
    platform, program, writer = sys.argv[1], os.path.abspath(sys.argv[2]), os.path.abspath(sys.argv[3])
    first, count, sequences = int(sys.argv[4], 0), int(sys.argv[5]), int(sys.argv[6])
    work = tempfile.mkdtemp(prefix=f"vesk2b-torture-{platform}-")
    scripts = os.path.join(work, "scripts")
    os.makedirs(scripts)
    write = [writer, scripts, str(first), str(count), str(sequences)] + (["dialogs"] if platform == "gtk" else [])
    subprocess.run([wine_env()["VESK_WINE"], *write] if writer.endswith(".exe") else write, check=True)
    failures = []
    started = time.time()
    with Harness(platform, program, work) as harness:
        for seed in range(first, first + count):
            script = os.path.join(scripts, f"{seed}.tcl")
            why = harness.run(script)
            # A run in which Wine could not start its display driver (its desktop
            # process was restarting) never reached the program: it runs again.
            # Any other failure, a crash included, fails the run.
            if why and platform == "win32" and "nodrv_CreateWindow" in why:
                harness.retries += 1
                why = harness.run(script)
            if why:
                kept = shutil.copy(script, os.path.join(tempfile.gettempdir(), f"vesk2b-torture-{platform}-{seed}.tcl"))
                failures.append(seed)
                print(f"FAILED seed {seed} (script kept as {kept}): {why}\n", flush=True)
    print(f"torture {platform}: {count} runs, {count * sequences} sequences, {len(failures)} failed "
          f"{failures[:20]}; {harness.boxes} message boxes dismissed, {harness.dialogs} dialogs typed into, {harness.keys} keys pressed; "
          + (f"{harness.retries} runs again after Wine had no display driver; " if platform == "win32" else "")
          + f"{time.time() - started:.0f} s")
    if not failures:
        shutil.rmtree(work, ignore_errors=True)
    sys.exit(1 if failures else 0)


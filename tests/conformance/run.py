#!/usr/bin/env python3
"""Runs the conformance suite on one platform: suite.tcl as default/vesk.tcl
of a fresh program folder, started with the file names of names.txt on its
command line. Passes when every line of results.txt is "ok", ::config::save
ran once, the exit code is 0 and the console (standard error; under Wine the
console the program opens) stayed empty: no script error reports and no GTK
warnings.

Usage: run.py PLATFORM PROGRAM WORKDIR
  headless, gtk-x11 (Xvfb, no window manager), gtk-openbox (Xvfb with
  openbox, which draws frames), gtk-wayland (weston's headless backend) or
  win32 (under Wine, in the environment of tests/win32's fixture)
"""
import os
import pathlib
import shutil
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.dirname(HERE))
from runner import Failure, Session, check, stage  # noqa: E402

platform, program, work = sys.argv[1], os.path.abspath(sys.argv[2]), sys.argv[3]
shutil.rmtree(work, ignore_errors=True)
names = os.path.join(HERE, "names.txt")
exe = stage(os.path.join(work, "app"), program, os.path.join(HERE, "suite.tcl"), {"names.txt": names})
# weston's headless backend offers no seat (no keyboard): GTK's own gtk_init
# complains about that once, before the program does anything.
noise = "gdk_seat_get_keyboard: assertion 'GDK_IS_SEAT (seat)'" if platform == "gtk-wayland" else None
try:
    with Session(work, {"gtk-x11": "gtk"}.get(platform, platform)) as session:
        session.env["VESK_CONFORMANCE"] = platform
        run = session.start(exe, pathlib.Path(names).read_text().split("\n")[:-1])
        code = run.wait_exit(90)
        console = [line for line in run.read("console").splitlines() if line and not (noise and noise in line)]
        results = run.lines(source="results.txt")
        check(results, "no results; console:\n" + "\n".join(console))
        print("\n".join(results))
        failed = [line for line in results if not line.startswith("ok ") and line not in ("checks done", "saved")]
        check(not failed, "failing lines:\n" + "\n".join(failed))
        check("checks done" in results, "the checks did not run to the end")
        check(results.count("saved") == 1, "::config::save did not run exactly once")
        check(code == 0, f"exit code {code}")
        check(not console, "console output:\n" + "\n".join(console))
except Failure as failure:
    sys.exit(f"FAILED ({platform}): {failure}")
print(f"conformance {platform}: passed ({sum(line.startswith('ok ') for line in results)} checks)")

#!/usr/bin/env python3
"""Runs every Tcl example of the script reference on the headless program.

A ```tcl block whose first line starts with "# Complete program" is a whole
application script; any other block is a fragment, appended to the first
complete program of the document (the smallest application). Each example
runs as default/vesk.tcl of a copy of the program in a fresh folder, with a
fresh HOME. It must exit with 0 and write nothing on standard error (no
console report, no notice); when a ```text block follows it directly, its
standard output must be exactly that text.

Usage: reference_examples.py PROGRAM DOCUMENT WORK_DIR
"""
import os
import re
import subprocess
import sys

from runner import stage

COMPLETE = "# Complete program"


def examples(text):
    """(line number, code, expected output or None) for each tcl block."""
    blocks = [(match.start(), match.end(), match.group(1), match.group(2))
              for match in re.finditer(r"^```(\w*)\n(.*?)^```\n", text, re.S | re.M)]
    found = []
    for (start, end, lang, body), following in zip(blocks, blocks[1:] + [None]):
        if lang == "tcl":
            expected = following and following[2] == "text" and text[end:following[0]].strip() == ""
            found.append((text.count("\n", 0, start) + 1, body, following[3] if expected else None))
    return found


def main():
    program, document, work = sys.argv[1:4]
    with open(document, encoding="utf-8") as f:
        found = examples(f.read())
    complete = [body for _, body, _ in found if body.startswith(COMPLETE)]
    if not complete:
        print("no complete program in the document")
        return 1
    failures = 0
    for line, body, expected in found:
        kind = "complete" if body.startswith(COMPLETE) else "fragment"
        script = body if kind == "complete" else complete[0] + "\n" + body
        folder = os.path.join(work, f"line{line}")
        os.makedirs(work, exist_ok=True)
        with open(folder + ".tcl", "w", encoding="utf-8") as f:
            f.write(script)
        copy = stage(folder, program, folder + ".tcl")
        os.makedirs(os.path.join(folder, "home"))
        env = dict(os.environ, HOME=os.path.join(folder, "home"), LANG="C.UTF-8")
        env.pop("LC_ALL", None)
        done = subprocess.run([copy], cwd=folder, env=env, capture_output=True, timeout=60)
        out, err = done.stdout.decode("utf-8", "replace"), done.stderr.decode("utf-8", "replace")
        problems = []
        if done.returncode != 0:
            problems.append(f"exit code {done.returncode}")
        if err:
            problems.append("diagnostics:\n" + err)
        if expected is not None and out != expected:
            problems.append(f"output:\n{out}expected:\n{expected}")
        status = "ok" if not problems else "FAILED"
        print(f"{status}: {kind} at line {line}")
        for problem in problems:
            print("  " + problem.replace("\n", "\n  "))
        failures += bool(problems)
    print(f"{len(found)} examples, {failures} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

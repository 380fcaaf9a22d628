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
    """(line number, kind, code, expected output or None) for each tcl block."""
    blocks = []
    for match in re.finditer(r"^```(\w*)\n(.*?)^```\n", text, re.S | re.M):
        line = text.count("\n", 0, match.start()) + 1
        blocks.append((match.start(), match.end(), match.group(1), match.group(2), line))
    found = []
    for i, (start, end, lang, body, line) in enumerate(blocks):
        if lang != "tcl":
            continue
        expected = None
        if i + 1 < len(blocks) and blocks[i + 1][2] == "text" and text[end:blocks[i + 1][0]].strip() == "":
            expected = blocks[i + 1][3]
        kind = "complete" if body.startswith(COMPLETE) else "fragment"
        found.append((line, kind, body, expected))
    return found


def main():
    program, document, work = sys.argv[1:4]
    with open(document, encoding="utf-8") as f:
        found = examples(f.read())
    complete = [body for _, kind, body, _ in found if kind == "complete"]
    if not complete:
        print("no complete program in the document")
        return 1
    prelude = complete[0]
    failures = 0
    for line, kind, body, expected in found:
        script = body if kind == "complete" else prelude + "\n" + body
        folder = os.path.join(work, f"line{line}")
        os.makedirs(work, exist_ok=True)
        with open(folder + ".tcl", "w", encoding="utf-8") as f:
            f.write(script)
        copy = stage(folder, program, folder + ".tcl")
        os.makedirs(os.path.join(folder, "home"))
        env = dict(os.environ, HOME=os.path.join(folder, "home"), LANG="C.UTF-8")
        env.pop("LC_ALL", None)
        done = subprocess.run([copy], cwd=folder, env=env, capture_output=True, timeout=60)
        out = done.stdout.decode("utf-8", "replace")
        err = done.stderr.decode("utf-8", "replace")
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

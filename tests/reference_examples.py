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
import pathlib
import re
import sys

from runner import Session, stage

COMPLETE = "# Complete program"


def examples(text):
    """(line number, code, expected output or None) for each tcl block."""
    blocks = list(re.finditer(r"^```(\w*)\n(.*?)^```\n", text, re.S | re.M))
    outputs = [after[2] if after[1] == "text" and not text[block.end():after.start()].strip() else None
               for block, after in zip(blocks, blocks[1:])] + [None]
    return [(text.count("\n", 0, block.start()) + 1, block[2], output)
            for block, output in zip(blocks, outputs) if block[1] == "tcl"]


if __name__ == "__main__":
    program, document, work = sys.argv[1:4]
    found = examples(pathlib.Path(document).read_text(encoding="utf-8"))
    complete = [body for _, body, _ in found if body.startswith(COMPLETE)]
    if not complete:
        sys.exit("no complete program in the document")
    failures = 0
    pathlib.Path(work).mkdir(parents=True, exist_ok=True)
    for line, body, expected in found:
        kind = "complete" if body.startswith(COMPLETE) else "fragment"
        folder, script = os.path.join(work, f"line{line}"), pathlib.Path(work, f"line{line}.tcl")
        script.write_text(body if kind == "complete" else complete[0] + "\n" + body, "utf-8")
        copy = stage(folder, program, script)
        with Session(folder, "headless") as session:  # HOME is the fresh folder
            run = session.start(copy)
            code, out, err = run.wait_exit(60), run.read("stdout"), run.read("console")
        problems = [problem for wrong, problem in ((code != 0, f"exit code {code}"), (err, "diagnostics:\n" + err),
                                                   (expected is not None and out != expected,
                                                    f"output:\n{out}expected:\n{expected}")) if wrong]
        print(f"{'FAILED' if problems else 'ok'}: {kind} at line {line}",
              *("  " + problem.replace("\n", "\n  ") for problem in problems), sep="\n")
        failures += bool(problems)
    print(f"{len(found)} examples, {failures} failed")
    sys.exit(1 if failures else 0)


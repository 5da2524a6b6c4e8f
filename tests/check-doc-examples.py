#!/usr/bin/env python3
"""Runs the examples of README.md and docs/*.md and compares what they print
with what the pages say. Each example runs in a new scratch checkout: a copy
of examples/, and build/quillon the program under test, which is first on
the PATH too. Marks, on the line before a code block:

  <!-- example -->
      before a sh block: its lines run in examples/ as one shell script,
      which must succeed; when a text block follows it (blank lines
      between), that is what the script prints (standard output and error,
      CR LF read as LF).

  <!-- example: from the checkout -->
      the same, run from the checkout's top folder.

  <!-- example: output of COMMAND -->
      before any block: the block is what COMMAND, run in examples/,
      prints; a line "..." in the block stands for any number of lines left
      out.

    tests/check-doc-examples.py QUILLON SOURCE_DIR
"""
import glob
import os
import re
import shutil
import subprocess
import sys
import tempfile

MARK = re.compile(r"^<!-- example(?:: (from the checkout|output of (.*)))? -->$")
FENCE = re.compile(r"^```(\w*)$")


def blocks(lines, start):
    """The fenced block that starts at or after `start` (blank lines before
    it only): its language, its lines and the index after it; None if none."""
    i = start
    while i < len(lines) and not lines[i].strip():
        i += 1
    if i >= len(lines) or not FENCE.match(lines[i]):
        return None
    language = FENCE.match(lines[i]).group(1)
    end = lines.index("```", i + 1)
    return language, lines[i + 1:end], end + 1


def run(script, quillon, source_dir, top):
    with tempfile.TemporaryDirectory() as scratch:
        bin_dir = os.path.join(scratch, "build")
        os.mkdir(bin_dir)
        os.symlink(os.path.abspath(quillon), os.path.join(bin_dir, "quillon"))
        shutil.copytree(os.path.join(source_dir, "examples"), os.path.join(scratch, "examples"))
        env = dict(os.environ, PATH=bin_dir + os.pathsep + os.environ.get("PATH", ""))
        done = subprocess.run(["bash", "-e", "-o", "pipefail", "-c", script],
                              cwd=scratch if top else os.path.join(scratch, "examples"),
                              env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                              check=False)
        return done.returncode, done.stdout.decode("utf-8", "replace").replace("\r\n", "\n")


def matches(expected, printed):
    """Whether the lines `printed` are `expected`, a "..." line standing for
    any run of lines: the runs between the "..." lines are found in order,
    each as early as it can be (which never misses a match)."""
    runs, run = [], []
    for line in expected:
        if line.strip() == "...":
            runs.append(run)
            run = []
        else:
            run.append(line)
    runs.append(run)
    if len(runs) == 1:
        return printed == expected
    first, last = runs[0], runs[-1]
    if printed[:len(first)] != first:
        return False
    at, end = len(first), len(printed) - len(last)
    if end < at or printed[end:] != last:
        return False
    for run in runs[1:-1]:
        found = next((i for i in range(at, end - len(run) + 1)
                      if printed[i:i + len(run)] == run), None)
        if found is None:
            return False
        at = found + len(run)
    return True


def main():
    quillon, source_dir = sys.argv[1:3]
    pages = [os.path.join(source_dir, "README.md")]
    pages += sorted(glob.glob(os.path.join(source_dir, "docs", "*.md")))
    faults, count = [], 0
    for page in pages:
        name = os.path.relpath(page, source_dir)
        with open(page, encoding="utf-8") as f:
            lines = f.read().split("\n")
        for number, line in enumerate(lines, 1):
            mark = MARK.match(line)
            if not mark:
                continue
            count += 1
            where = f"{name}:{number}"
            found = blocks(lines, number)
            if found is None:
                faults.append(f"{where}: the mark stands before no code block")
                continue
            language, block, after = found
            if mark.group(2):
                command, expected = mark.group(2), block
            elif language == "sh":
                command = "\n".join(block)
                output = blocks(lines, after)
                expected = output[1] if output and output[0] == "text" else None
            else:
                faults.append(f"{where}: an example to run is a sh block, not '{language}'")
                continue
            status, printed = run(command, quillon, source_dir,
                                  mark.group(1) == "from the checkout")
            printed_lines = printed.split("\n")
            if printed_lines and printed_lines[-1] == "":
                printed_lines.pop()
            if status != 0:
                faults.append(f"{where}: exit status {status}:\n{command}\n--- printed:\n{printed}")
            elif expected is not None and not matches(expected, printed_lines):
                faults.append(f"{where}: the page shows\n" + "\n".join(expected) +
                              f"\n--- but the example prints:\n{printed}")
    for fault in faults:
        print(f"check-doc-examples: {fault}", file=sys.stderr)
    if faults:
        return 1
    if count == 0:
        print("check-doc-examples: no example is marked", file=sys.stderr)
        return 1
    print(f"check-doc-examples: {count} examples print what their pages say")
    return 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
"""Line and function coverage of the sources under --source, from a build made with --coverage.

Runs `gcov --json-format --stdout` on every object compiled from those sources (an object that no
program linked has no counters and counts as never executed), merges the counts of all
translation units (a header's inline function counts once, executed if any unit ran it), then
prints the line coverage per file, the totals, and every function that never ran.

A function is named by its file and first line; template instances and lambdas at one place
count as one function. Inline functions that no unit instantiates leave no record at all.
"""

import argparse
import json
import os
import subprocess
import sys
from collections import defaultdict


def gcov_records(build, notes):
    """Yields the JSON document of each note file, run in batches from the build directory."""
    for start in range(0, len(notes), 40):
        batch = notes[start:start + 40]
        out = subprocess.run(["gcov", "--json-format", "--stdout"] + batch, cwd=build, check=True,
                             stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True).stdout
        for line in out.splitlines():
            if line.strip():
                yield json.loads(line)


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--build", required=True, help="build directory of the coverage build")
    ap.add_argument("--source", default="src", help="source directory to report (default: src)")
    args = ap.parse_args()
    build = os.path.abspath(args.build)
    source = os.path.abspath(args.source) + os.sep

    notes = []
    for root, _, files in os.walk(build):
        notes += [os.path.join(root, f) for f in files if f.endswith(".gcno")]
    notes.sort()
    if not notes:
        sys.exit(f"coverage: no .gcno files under {build}; build with --coverage first")

    lines = defaultdict(int)  # (file, line) -> count over all units
    functions = {}  # (file, first line) -> [name, count]
    for doc in gcov_records(build, notes):
        cwd = doc.get("current_working_directory", build)
        for f in doc["files"]:
            path = os.path.normpath(os.path.join(cwd, f["file"]))
            if not path.startswith(source):
                continue
            rel = os.path.relpath(path, os.path.dirname(source.rstrip(os.sep)))
            for ln in f["lines"]:
                lines[(rel, ln["line_number"])] += ln["count"]
            for fn in f["functions"]:
                key = (rel, fn["start_line"])
                entry = functions.setdefault(key, [fn.get("demangled_name", fn["name"]), 0])
                entry[1] += fn["execution_count"]

    per_file = defaultdict(lambda: [0, 0])  # file -> [covered, total]
    for (path, _), count in lines.items():
        per_file[path][1] += 1
        per_file[path][0] += count > 0
    print(f"{'file':<44} {'lines':>11} {'cover':>7}")
    for path in sorted(per_file):
        hit, total = per_file[path]
        print(f"{path:<44} {hit:>5}/{total:<5} {100.0 * hit / total:6.1f}%")
    hit = sum(h for h, _ in per_file.values())
    total = sum(t for _, t in per_file.values())
    fn_hit = sum(1 for _, c in functions.values() if c > 0)
    print(f"{'TOTAL':<44} {hit:>5}/{total:<5} {100.0 * hit / max(total, 1):6.1f}%")
    print(f"functions executed: {fn_hit}/{len(functions)} "
          f"({100.0 * fn_hit / max(len(functions), 1):.1f}%)")

    never = sorted((k, v[0]) for k, v in functions.items() if v[1] == 0)
    print(f"\nfunctions never executed: {len(never)}")
    for (path, line), name in never:
        print(f"  {path}:{line}: {name}")


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Merges the coverage counters of the host and Windows builds (gcovr), writes the HTML
report and prints one table of line and function coverage per folder of the program,
then the functions of app/ that no test reached.

Usage: coverage_report.py OUT_DIR BUILD_DIR...
"""
import json
import subprocess
import sys
from pathlib import Path

REPO = Path(__file__).resolve().parent.parent
FOLDERS = ["app/shell", "app/lines", "app/vpn", "app/notice", "ui", "platform"]


def run_gcovr(out, builds):
    out.mkdir(parents=True, exist_ok=True)
    cmd = ["gcovr", "-r", str(REPO), "-j", "2",
           "--filter", "app/", "--filter", "ui/", "--filter", "platform/",
           # The RAS stand-in and the tools compile some platform/ files too: their runs are no test of the program.
           "--exclude-directories", r".*/tools/",
           "--json", str(out / "coverage.json"),
           "--html-details", str(out / "index.html"),
           *[str(b) for b in builds]]
    subprocess.run(cmd, cwd=REPO, check=True)
    return json.loads((out / "coverage.json").read_text())["files"]


def folder_of(path):
    for folder in FOLDERS:
        if path.startswith(folder + "/"):
            return folder
    return None


def percent(covered, total):
    return f"{100.0 * covered / total:5.1f} %" if total else "    -  "


def count(files):
    lines = [ln for f in files for ln in f["lines"] if not ln.get("gcovr/noncode")]
    funcs = [fn for f in files for fn in f["functions"]]
    return (sum(1 for ln in lines if ln["count"] > 0), len(lines),
            sum(1 for fn in funcs if fn["execution_count"] > 0), len(funcs))


def row(name, files):
    lc, lt, fc, ft = count(files)
    return f"| {name:<10} | {percent(lc, lt)} | {lc:>5} / {lt:<5} | {percent(fc, ft)} | {fc:>4} / {ft:<4} |"


def demangle(names):
    try:
        res = subprocess.run(["c++filt"], input="\n".join(names), capture_output=True, text=True, check=True)
        return res.stdout.splitlines()
    except (OSError, subprocess.CalledProcessError):
        return names


def main():
    if len(sys.argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    files = run_gcovr(Path(sys.argv[1]), sys.argv[2:])
    by_folder = {folder: [f for f in files if folder_of(f["file"]) == folder] for folder in FOLDERS}
    print("| folder     |  lines  |  lines covered  | functions | functions covered |")
    print("|------------|---------|-----------------|-----------|-------------------|")
    for folder in FOLDERS:
        print(row(folder, by_folder[folder]))
    print(row("app", [f for f in files if f["file"].startswith("app/")]))
    print(row("total", files))

    missed = [(f["file"], fn["lineno"], fn["name"])
              for f in files if f["file"].startswith("app/")
              for fn in f["functions"] if fn["execution_count"] == 0]
    missed.sort()
    print(f"\nFunctions of app/ no test reached: {len(missed)}")
    for (path, line, _), name in zip(missed, demangle([m[2] for m in missed])):
        print(f"  {path}:{line}  {name}")
    print(f"\nHTML report: {Path(sys.argv[1]) / 'index.html'}")
    return 0


if __name__ == "__main__":
    sys.exit(main())

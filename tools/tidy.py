#!/usr/bin/env python3
"""clang-tidy over every source of the program and its tools, with the checks of .clang-tidy.

The Windows sources are parsed as i686-w64-mingw32 with the MinGW headers, from the
compile commands of a Windows configuration; the few host-only sources from a host one.
Prints each finding once and exits non-zero if there is any.

Usage: tidy.py [BUILD_DIR] [-j JOBS]      (default build/tidy, 2 jobs)
"""
import argparse
import json
import os
import re
import shlex
import subprocess
import sys
from concurrent.futures import ThreadPoolExecutor
from pathlib import Path

REPO = Path(__file__).resolve().parent.parent
MINGW_CXX = "i686-w64-mingw32-g++-posix"
# GCC-only options clang rejects or warns about; the execution charset only changes string bytes.
GCC_ONLY = re.compile(r"^(-fexec-charset=.*|-Wno-array-bounds|-Wno-restrict|-Werror)$")
FINDING = re.compile(r"^(/\S+):(\d+):(\d+): (warning|error): .*$")
NOISE = re.compile(r"^\d+ (warnings?|errors?)( and \d+ errors?)? generated\.$")


def configure(build, *options):
    # Configuring is enough: every generated source exists after it.
    cmd = ["cmake", "-S", str(REPO), "-B", str(build), "-G", "Ninja", "-DSORVIK_TESTS=OFF", *options]
    res = subprocess.run(cmd, capture_output=True, text=True)
    if res.returncode != 0:
        sys.stderr.write(res.stdout + res.stderr)
        raise SystemExit(f"tidy: configuring {build} failed")
    return json.loads((build / "compile_commands.json").read_text())


def mingw_cxx_includes():
    # The MinGW C++ library's folders, as its own compiler lists them (clang does not find them).
    res = subprocess.run([MINGW_CXX, "-xc++", "-E", "-v", os.devnull], capture_output=True, text=True)
    dirs, inside = [], False
    for line in res.stderr.splitlines():
        if line.startswith("#include <...>"):
            inside = True
        elif line.startswith("End of search list"):
            break
        elif inside and "/c++" in line:
            dirs.append(os.path.normpath(line.strip()))
    return dirs


def clang_command(entry, prefix):
    args = shlex.split(entry["command"]) if "command" in entry else list(entry["arguments"])
    kept = [a for a in args[1:] if not GCC_ONLY.match(a)]
    return {"directory": entry["directory"], "file": entry["file"], "arguments": prefix + kept}


def program_source(path):
    rel = os.path.relpath(path, REPO)
    return rel.endswith(".cpp") and rel.split(os.sep)[0] in ("app", "ui", "platform", "tools")


def database(build):
    win = configure(build / "win", "-DCMAKE_BUILD_TYPE=Release", "-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake")
    host = configure(build / "host", "-DCMAKE_BUILD_TYPE=Debug", "-DSORVIK_SERVICE_TESTS=OFF")
    win_prefix = ["clang++", "--target=i686-w64-mingw32", "-nostdinc++"]
    for d in mingw_cxx_includes():
        win_prefix += ["-isystem", d]
    entries = {}
    for group, prefix in ((win, win_prefix), (host, ["clang++"])):
        for entry in group:
            # A file built by both (or by the stand-in DLL too) is checked once, as Windows code.
            if program_source(entry["file"]) and entry["file"] not in entries:
                entries[entry["file"]] = clang_command(entry, prefix)
    (build / "compile_commands.json").write_text(json.dumps(list(entries.values()), indent=1))
    return sorted(entries)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("build", nargs="?", default=str(REPO / "build" / "tidy"))
    parser.add_argument("-j", "--jobs", type=int, default=2)
    opts = parser.parse_args()
    build = Path(opts.build).resolve()
    build.mkdir(parents=True, exist_ok=True)
    files = database(build)

    def check(path):
        res = subprocess.run(["clang-tidy", "--quiet", "-p", str(build), path], capture_output=True, text=True)
        return path, res.returncode, res.stdout + res.stderr

    seen, failed = set(), []
    with ThreadPoolExecutor(max_workers=opts.jobs) as pool:
        for path, code, output in pool.map(check, files):
            # A header's finding shows up once per file that includes it.
            lines, show = output.splitlines(), False
            for line in lines:
                m = FINDING.match(line)
                if m:
                    show = line not in seen
                    seen.add(line)
                if show and not NOISE.match(line):
                    print(line)
            if code != 0 and not any(FINDING.match(line) for line in lines):
                print(output)
                failed.append(os.path.relpath(path, REPO))
    findings = sorted(seen)
    by_file = {}
    for line in findings:
        rel = os.path.relpath(FINDING.match(line).group(1), REPO)
        by_file[rel] = by_file.get(rel, 0) + 1
    for rel, n in sorted(by_file.items()):
        print(f"tidy: {rel}: {n} finding(s)")
    for rel in failed:
        print(f"tidy: {rel}: clang-tidy failed")
    print(f"tidy: {len(files)} files, {len(findings)} findings")
    return 0 if not findings and not failed else 1


if __name__ == "__main__":
    sys.exit(main())

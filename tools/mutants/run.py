#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Plants each fault of faults.tsv alone in a scratch copy of the tree, builds, runs the tests and
prints which tests kill it.

    tools/mutants/run.py [--scratch DIR] [--jobs N] [--timeout S] [--check] [ID-or-prefix ...]

The scratch copy (default: $PELK_MUTANTS_DIR, else a folder beside the worktree) keeps one build
folder for the whole run: each fault is written into its file, the build recompiles what depends on
it, and the file is put back before the next fault, so that a run costs one incremental build per
fault. Statuses: KILLED (by the tests named), SURVIVED, EQUIVALENT (survived and marked so in the
list, with the reason), NOT-FOUND (the text to change is not in the file, or not exactly once),
BUILD-FAILED. The exit status is 0 only when every fault is KILLED or EQUIVALENT.
"""

import argparse
import filecmp
import os
import re
import shutil
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
FAULTS = Path(__file__).resolve().parent / "faults.tsv"
NICE = ["nice", "-n", "19"]


def unescape(text):
    out, i = [], 0
    while i < len(text):
        if text[i] == "\\" and i + 1 < len(text):
            out.append({"n": "\n", "t": "\t", "\\": "\\"}.get(text[i + 1], "\\" + text[i + 1]))
            i += 2
        else:
            out.append(text[i])
            i += 1
    return "".join(out)


def read_faults():
    faults = []
    for number, line in enumerate(FAULTS.read_text().splitlines(), 1):
        if not line.strip() or line.startswith("#"):
            continue
        fields = line.split("\t")
        if len(fields) not in (5, 6):
            sys.exit(f"{FAULTS}:{number}: expected 5 or 6 TAB-separated fields, got {len(fields)}")
        faults.append({
            "id": fields[0], "file": fields[1], "find": unescape(fields[2]),
            "replace": unescape(fields[3]), "what": fields[4],
            "equivalent": fields[5] if len(fields) == 6 else "",
        })
    ids = [f["id"] for f in faults]
    if len(ids) != len(set(ids)):
        sys.exit(f"{FAULTS}: duplicate ids")
    return faults


def sync_tree(scratch):
    """Copies the tracked files that differ, so that unchanged files keep their build, and
    removes the files the tree no longer tracks (a test file gone would still be built)."""
    files = subprocess.run(["git", "ls-files", "-z"], cwd=ROOT, check=True,
                           capture_output=True).stdout.decode().split("\0")
    tracked = set(filter(None, files))
    for top in scratch.iterdir():
        if top.name == "build":  # the build folder is the run's own, and large
            continue
        for path in [top] if top.is_file() else top.rglob("*"):
            if path.is_file() and path.relative_to(scratch).as_posix() not in tracked:
                path.unlink()
    for name in tracked:
        source, target = ROOT / name, scratch / name
        if not source.is_file():
            continue
        if target.exists() and filecmp.cmp(source, target, shallow=False):
            continue
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copy2(source, target)
        os.utime(target)  # newer than any object built from the old text


def run(command, cwd, log=None):
    result = subprocess.run(NICE + command, cwd=cwd, stdout=subprocess.PIPE,
                            stderr=subprocess.STDOUT, text=True)
    if log is not None:
        log.write_text(result.stdout)
    return result.returncode, result.stdout


def build(scratch, jobs):
    return run(["cmake", "--build", "build", "-j", str(jobs)], scratch,
               scratch / "last-build.log")[0] == 0


def failing_tests(scratch, timeout, tests=None):
    """tests: a ctest regex naming the tests to run, None for all of them."""
    _, output = run(["ctest", "--test-dir", "build", "-j2", "--timeout", str(timeout)]
                    + (["-R", tests] if tests else []), scratch, scratch / "last-ctest.log")
    failed = []
    listing = output.split("The following tests FAILED:", 1)
    if len(listing) == 2:
        for line in listing[1].splitlines():
            match = re.match(r"\s*\d+ - (\S+) \((.+)\)", line)
            if match:
                failed.append(match.group(1) + ("" if match.group(2) == "Failed"
                                                else f" ({match.group(2)})"))
    if not failed and "100% tests passed" not in output:
        failed.append("ctest (no test list: see last-ctest.log)")
    return failed


def prepare(scratch, jobs, timeout, tests=None):
    """Brings the scratch copy up to the worktree and checks that it builds and passes the
    tests (those matching the ctest regex tests, or all); returns its resolved path."""
    scratch = scratch.resolve()
    if scratch == ROOT or ROOT in scratch.parents:
        sys.exit("the scratch folder must lie outside the worktree")
    scratch.mkdir(parents=True, exist_ok=True)
    sync_tree(scratch)
    if not (scratch / "build" / "CMakeCache.txt").exists():
        code, _ = run(["cmake", "-S", ".", "-B", "build", "-G", "Unix Makefiles",
                       "-DCMAKE_BUILD_TYPE=Debug", "-DPELK_WERROR=ON"], scratch,
                      scratch / "last-configure.log")
        if code != 0:
            sys.exit(f"configure failed: see {scratch}/last-configure.log")
    if not build(scratch, jobs):
        sys.exit(f"the unchanged tree does not build: see {scratch}/last-build.log")
    baseline = failing_tests(scratch, timeout, tests)
    if baseline:
        sys.exit("the unchanged tree fails tests: " + ", ".join(baseline))
    return scratch


def area(fault):
    return fault["file"].split("/", 1)[0]


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("only", nargs="*", help="fault ids or id prefixes (default: all)")
    parser.add_argument("--scratch", type=Path, default=Path(os.environ.get(
        "PELK_MUTANTS_DIR", str(ROOT.parent / (ROOT.name + "-mutants")))))
    parser.add_argument("--jobs", type=int, default=1)
    parser.add_argument("--timeout", type=int, default=120, help="seconds per test")
    parser.add_argument("--check", action="store_true",
                        help="only check that every text to change is found exactly once")
    args = parser.parse_args()

    faults = read_faults()
    if args.only:
        faults = [f for f in faults if any(f["id"] == o or f["id"].startswith(o) for o in args.only)]
    areas = {}
    for f in faults:
        areas[area(f)] = areas.get(area(f), 0) + 1
    print(f"{len(faults)} faults: " + ", ".join(f"{a} {n}" for a, n in areas.items()), flush=True)

    def found(fault, base):
        path = base / fault["file"]
        return path.is_file() and path.read_text().count(fault["find"]) == 1

    if args.check:
        missing = [f for f in faults if not found(f, ROOT)]
        for f in missing:
            print(f"NOT-FOUND     {f['id']:<11} {f['file']}: {f['what']}")
        return 1 if missing else 0

    scratch = prepare(args.scratch, args.jobs, args.timeout)

    counts = {}
    survivors = []
    started = time.time()
    for fault in faults:
        path = scratch / fault["file"]
        original = path.read_text() if path.is_file() else None
        if original is None or original.count(fault["find"]) != 1:
            status, detail = "NOT-FOUND", fault["what"]
        else:
            try:
                path.write_text(original.replace(fault["find"], fault["replace"], 1))
                if not build(scratch, args.jobs):
                    status, detail = "BUILD-FAILED", fault["what"]
                else:
                    killers = failing_tests(scratch, args.timeout)
                    if killers:
                        status, detail = "KILLED", "by " + ", ".join(killers)
                    elif fault["equivalent"]:
                        status, detail = "EQUIVALENT", f"{fault['what']}: {fault['equivalent']}"
                    else:
                        status, detail = "SURVIVED", fault["what"]
            finally:
                path.write_text(original)  # a fresh time stamp: the next build recompiles it
        counts[status] = counts.get(status, 0) + 1
        if status not in ("KILLED", "EQUIVALENT"):
            survivors.append(fault)
        print(f"{status:<13} {fault['id']:<11} {fault['file']}: {detail}", flush=True)

    build(scratch, args.jobs)  # leaves the scratch build as the tree is
    print(f"\n{len(faults)} faults in {time.time() - started:.0f} s: " +
          ", ".join(f"{counts.get(s, 0)} {s.lower()}" for s in
                    ("KILLED", "EQUIVALENT", "SURVIVED", "NOT-FOUND", "BUILD-FAILED")))
    per_area = {}
    for f in faults:
        per_area.setdefault(area(f), []).append(f)
    for name, listed in per_area.items():
        lost = sum(1 for f in listed if f in survivors)
        print(f"  {name}: {len(listed)} listed, {len(listed) - lost} killed or equivalent")
    return 1 if survivors else 0


if __name__ == "__main__":
    sys.exit(main())

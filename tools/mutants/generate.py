#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Makes mutants of production C++ files by rule, a sample of them evenly per file, and runs each
alone as run.py runs faults.tsv: same scratch machinery, one incremental build per mutant, but only
the tests that link the mutated file's library.

    tools/mutants/generate.py [--budget N] [--seed S] [--list] [--record FILE]
                              [--changed-since REV] [--self-test] [PATH ...]

Statuses: KILLED, SURVIVED, EQUIVALENT (survived, and listed in equivalent-generated.tsv with the
reason), BUILD-FAILED (not counted). Survivors are written to --record. The exit status is 0 only
when no mutant survives.
"""

import argparse
import os
import random
import re
import signal
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import run  # noqa: E402  (the scratch copy, build and ctest machinery of faults.tsv)

ROOT = run.ROOT
EQUIVALENT = Path(__file__).resolve().parent / "equivalent-generated.tsv"
# The tests that link each area's library; None runs them all (everything links climate).
AREA_TESTS = {"climate": None, "layouts": "^(layouts|cli|app)_", "results": "^(results|app|cli)_",
              "app": "^app_", "cli": "^cli_", "qt_locale": "^(qt_locale|cli|app)_"}
# Lines whose change no test should be asked to see: checks, logging, compile-time asserts.
SKIP_LINE = re.compile(r"\b(static_assert|assert|Q_ASSERT\w*|qDebug|qInfo|qWarning|qCritical|"
                       r"std::cerr|std::clog)\b|fprintf\(stderr")
KEYWORDS = {"if", "for", "while", "switch", "return", "sizeof", "delete", "throw", "new", "case",
            "catch", "alignof", "decltype", "static_cast", "const_cast", "reinterpret_cast",
            "dynamic_cast", "true", "false", "nullptr", "this", "co_return", "co_await"}


def mask(text):
    """The text with comments blanked and the insides of string and character literals blanked,
    same length and lines; and the (start, end) of each one-line ordinary string literal."""
    out, strings, i, n = list(text), [], 0, len(text)

    def blank(a, b):
        for k in range(a, b):
            if out[k] != "\n":
                out[k] = " "
    while i < n:
        c = text[i]
        if text.startswith("//", i):
            end = text.find("\n", i)
            end = n if end < 0 else end
            blank(i, end)
            i = end
        elif text.startswith("/*", i):
            end = text.find("*/", i + 2)
            end = n if end < 0 else end + 2
            blank(i, end)
            i = end
        elif c == '"' and re.search(r"(?<![\w])(u8|u|U|L)?R$", text[max(0, i - 3):i]):
            match = re.match(r'"([^(\s]*)\(', text[i:])
            close = text.find(")" + match.group(1) + '"', i) if match else -1
            end = n if close < 0 else close + len(match.group(1)) + 2
            blank(i - 1, end)  # the R too: a raw string is never emptied
            i = end
        elif c in "\"'" and not (c == "'" and i and text[i - 1].isalnum()):  # 1'000 is a number
            j = i + 1
            while j < n and text[j] != c and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            if c == '"' and j < n and text[j] == c:
                strings.append((i, j + 1))
            blank(i + 1, min(j, n))
            i = j + 1
        else:
            i += 1
    return "".join(out), strings


def balanced(text, start):
    """The index of the parenthesis closing the one at start, or -1 when it is on a later line."""
    depth = 0
    for k in range(start, len(text)):
        depth += {"(": 1, ")": -1}.get(text[k], 0)
        if depth == 0:
            return k
    return -1


def mixed(code):
    """Whether && and || meet at one bracket depth."""
    depth, seen = 0, {}
    for m in re.finditer(r"[()]|&&|\|\|", code):
        if m.group() in "()":
            depth += 1 if m.group() == "(" else -1
        else:
            seen.setdefault(depth, set()).add(m.group())
    return any(len(ops) > 1 for ops in seen.values())


def line_mutants(line, code, strings):
    """(operator, mutated line) for one line, from its masked text and its string literals."""
    found = []

    def at(op, start, end, new):
        found.append((op, line[:start] + new + line[end:]))
    for m in re.finditer(r"(?<=\s)(<=|>=|<|>|==|!=)(?=\s)", code):
        at("comparison", m.start(), m.end(),
           {"<": "<=", "<=": "<", ">": ">=", ">=": ">", "==": "!=", "!=": "=="}[m.group()])
    for m in re.finditer(r"(?<=\s)(&&|\|\|)(?=\s)", code):
        new = "||" if m.group() == "&&" else "&&"
        # && within || unbracketed is a -Wparentheses error under -Werror: a wasted build.
        if not mixed(code[:m.start()] + new + code[m.end():]):
            at("logical", m.start(), m.end(), new)
    for m in re.finditer(r"\b(true|false)\b", code):
        at("boolean", m.start(), m.end(), "false" if m.group() == "true" else "true")
    for m in re.finditer(r"(-?)(?<![\w.'])(\d+)(?![\w.'])", code):
        # A minus after an operator or an opening is the literal's own: -1 becomes -2 or 0.
        unary = m.group(1) and re.search(r"(^|[-+*/%=<>!&|?:,(\[{])\s*$", code[:m.start()])
        start = m.start() if unary else m.start(2)
        value = int(m.group(2)) * (-1 if unary else 1)
        if abs(value) <= 1000:
            at("literal", start, m.end(), str(value + 1))
            if value != 0:
                at("literal", start, m.end(), str(value - 1))
    for m in re.finditer(r"(?<=[\w)\]])\[([A-Za-z_]\w*)\]", code):
        if m.group(1) != "this":
            at("index", m.start(1), m.end(1), m.group(1) + " + 1")
    for m in re.finditer(r"\bif \(", code):
        close = balanced(code, m.end() - 1)
        cond = code[m.end():close]
        if close > 0 and ";" not in cond and not re.match(r"\s*(auto|const)\b|.*[^=!<>]=[^=]",
                                                          cond):
            at("negation", m.end(), close, "!(" + line[m.end():close] + ")")
    for m in re.finditer(r"\b([A-Za-z_]\w*)\(([^()]*)\)", code):
        args = [a.strip() for a in m.group(2).split(",")]
        if m.group(1) in KEYWORDS or m.group(1).isupper():
            continue
        for k in range(len(args) - 1):
            a, b = args[k], args[k + 1]
            if (a != b and all(re.fullmatch(r"[A-Za-z_]\w*", x) and x not in KEYWORDS
                               for x in (a, b))):
                swapped = args[:k] + [b, a] + args[k + 2:]
                at("arguments", m.start(2), m.end(2), ", ".join(swapped))
    stripped = code.strip()
    indent = line[:len(line) - len(line.lstrip())]
    # {} rather than nothing: a braceless if keeps a body, and no empty-body warning fails -Werror.
    if stripped in ("continue;", "break;", "return;"):
        found.append(("statement", indent + "{}"))
    call = re.fullmatch(r"((?:[A-Za-z_]\w*(?:::|\.|->))*([A-Za-z_]\w*))\(.*\);", stripped)
    if (call and call.group(2) not in KEYWORDS and not call.group(2).isupper()
            and balanced(stripped, len(call.group(1))) == len(stripped) - 2):
        found.append(("call", indent + "{}"))
    for start, end in strings:
        if end - start > 2:
            at("string", start, end, '""')
    return found


def last_case_of_switch(lines, index):
    """Whether the statement at `index` ends the last case of a switch: the nearest line above it
    one level out is a case label."""
    depth = len(lines[index]) - len(lines[index].lstrip())
    for k in range(index - 1, -1, -1):
        stripped = lines[k].strip()
        if not stripped:
            continue
        indent = len(lines[k]) - len(lines[k].lstrip())
        if indent < depth:
            return re.match(r"(case\b|default\s*:)", stripped) is not None
    return False


def file_mutants(rel):
    text = (ROOT / rel).read_text()
    code, strings = mask(text)
    mutants, offset, continued = [], 0, False
    masked_lines = code.split("\n")
    following, after = [""] * len(masked_lines), ""  # each line's next code line, for a break
    for k in range(len(masked_lines) - 1, -1, -1):
        following[k], after = after, masked_lines[k].strip() or after
    preceding = ""
    for number, (line, masked) in enumerate(zip(text.split("\n"), masked_lines), 1):
        preprocessor = continued or masked.lstrip().startswith("#")
        continued = preprocessor and masked.rstrip().endswith("\\")
        if masked.strip() and not preprocessor and not SKIP_LINE.search(masked):
            spans = [(a - offset, b - offset) for a, b in strings
                     if offset <= a and b <= offset + len(line)]
            seen = set()
            for op, mutated in line_mutants(line, masked, spans):
                # A break before the next case falls through: -Wimplicit-fallthrough, an error.
                if op == "statement" and re.match(r"(case\b|default\s*:)", following[number - 1]):
                    continue
                # The last case's break leaves the switch as its closing brace would: no change.
                if (op == "statement" and line.strip() == "break;" and following[number - 1] == "}"
                        and last_case_of_switch(masked_lines, number - 1)):
                    continue
                # A call is a statement of its own only when the line before ended one.
                if op == "call" and not re.search(r"(^|[;{}:)])$", preceding):
                    continue
                if mutated != line and mutated not in seen:
                    seen.add(mutated)
                    mutants.append({"file": rel, "line": number, "op": op,
                                    "original": line, "mutated": mutated})
        offset += len(line) + 1
        preceding = masked.strip() or preceding
    return mutants


def production_files(paths, changed_since):
    listed = subprocess.run(["git", "ls-files"], cwd=ROOT, check=True, capture_output=True,
                            text=True).stdout.split()
    if changed_since:
        base = subprocess.run(["git", "merge-base", changed_since, "HEAD"], cwd=ROOT, check=True,
                              capture_output=True, text=True).stdout.strip()
        changed = set(subprocess.run(["git", "diff", "--name-only", "--diff-filter=d", base],
                                     cwd=ROOT, check=True, capture_output=True,
                                     text=True).stdout.split())
        listed = [f for f in listed if f in changed]
    wanted = [Path(p).resolve().relative_to(ROOT).as_posix() for p in paths]
    return [f for f in listed if f.endswith((".cpp", ".h")) and f.split("/")[0] in AREA_TESTS
            and (not wanted or any(w in (".", f) or f.startswith(w.rstrip("/") + "/")
                                   for w in wanted))]


def sample(mutants, budget, seed):
    """Round robin over the files, each file's mutants in a seeded order, so that every file gets
    its share of the budget whatever its size."""
    rng, per_file = random.Random(seed), {}
    for m in mutants:
        per_file.setdefault(m["file"], []).append(m)
    queues = []
    for _, ms in sorted(per_file.items()):
        # The operators taken in turn: literals, the most numerous, do not crowd out the rest.
        by_op = {}
        for m in rng.sample(ms, len(ms)):
            by_op.setdefault(m["op"], []).append(m)
        turns = rng.sample(sorted(by_op.values(), key=lambda g: g[0]["op"]), len(by_op))
        mixed = [g[k] for k in range(max(map(len, turns))) for g in turns if k < len(g)]
        queues.append(mixed[::-1])  # taken from the end
    chosen = []
    while len(chosen) < budget and any(queues):
        for queue in queues:
            if queue and len(chosen) < budget:
                chosen.append(queue.pop())
    return sorted(chosen, key=lambda m: (m["file"], m["line"]))


def escape(text):
    return text.replace("\\", "\\\\").replace("\t", "\\t")


def read_equivalents():
    """{(file, original, mutated) stripped of indentation: reason}."""
    known = {}
    for line in EQUIVALENT.read_text().splitlines() if EQUIVALENT.exists() else []:
        fields = line.split("\t")
        if line.strip() and not line.startswith("#"):
            if len(fields) != 4:
                sys.exit(f"{EQUIVALENT}: expected file, original, mutated, reason: {line}")
            known[(fields[0], run.unescape(fields[1]).strip(),
                   run.unescape(fields[2]).strip())] = fields[3]
    return known


def describe(m):
    return (f"{m['file']}:{m['line']} [{m['op']}] {m['original'].strip()}"
            f"  =>  {m['mutated'].strip()}")


def self_test():
    cases = [("    if (a < b && c) {", {"    if (a <= b && c) {", "    if (a < b || c) {",
                                          "    if (!(a < b && c)) {"}),
             ('  x = f(a, b) + "ab"; // 3 < 4', {'  x = f(b, a) + "ab"; // 3 < 4',
                                                '  x = f(a, b) + ""; // 3 < 4'}),
             ("  return v[i] == 10;", {"  return v[i + 1] == 10;", "  return v[i] != 10;",
                                       "  return v[i] == 11;", "  return v[i] == 9;"}),
             ("  continue;", {"  {}"}), ("  out.push_back(x);", {"  {}"}),
             ("  std::vector<int> v{1'000};", set()), ("  ok = true;", {"  ok = false;"}),
             ("  if (a || b && c)", {"  if (!(a || b && c))", "  if (a && b && c)",
                                     "  if (a || b || c)"}),
             ("  x = y-1;", {"  x = y-2;", "  x = y-0;"}),
             ("  int k = -1;", {"  int k = 0;", "  int k = -2;"})]
    for line, expected in cases:
        code, strings = mask(line)
        got = {mutated for _, mutated in line_mutants(line, code, strings)}
        if got != expected:
            sys.exit(f"self-test: {line!r}\n  expected {sorted(expected)}\n"
                     f"  got      {sorted(got)}")
    print(f"self-test: {len(cases)} lines as expected")
    return 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("paths", nargs="*", help="files or folders (default: every area)")
    parser.add_argument("--changed-since", metavar="REV",
                        help="only the files changed since the merge base with REV")
    parser.add_argument("--budget", type=int, default=120, help="mutants to run (default 120)")
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--list", action="store_true", help="print the sample, build nothing")
    parser.add_argument("--self-test", action="store_true", help="check the operators and stop")
    parser.add_argument("--record", type=Path, default=ROOT / "build" / "mutants-generated.tsv")
    parser.add_argument("--scratch", type=Path, default=Path(os.environ.get(
        "PELK_MUTANTS_GENERATED_DIR", str(ROOT.parent / (ROOT.name + "-mutants-generated")))))
    parser.add_argument("--jobs", type=int, default=1)
    parser.add_argument("--timeout", type=int, default=120, help="seconds per test")
    args = parser.parse_args()
    signal.signal(signal.SIGPIPE, signal.SIG_DFL)  # --list into head stops quietly
    if args.self_test:
        return self_test()

    files = production_files(args.paths, args.changed_since)
    made = [m for f in files for m in file_mutants(f)]
    chosen = sample(made, args.budget, args.seed)
    ops = {}
    for m in chosen:
        ops[m["op"]] = ops.get(m["op"], 0) + 1
    print(f"{len(made)} mutants in {len(files)} files, {len(chosen)} sampled: " +
          ", ".join(f"{op} {n}" for op, n in sorted(ops.items())), flush=True)
    if args.list:
        for m in chosen:
            print(describe(m))
        return 0
    if not chosen:
        return 0

    areas = {m["file"].split("/")[0] for m in chosen}
    regexes = [AREA_TESTS[a] for a in sorted(areas)]
    scratch = run.prepare(args.scratch, args.jobs, args.timeout,
                          None if None in regexes else "|".join(regexes))
    equivalents = read_equivalents()
    counts, survivors, started = {}, [], time.time()
    for m in chosen:
        path = scratch / m["file"]
        original = path.read_text()
        lines = original.split("\n")
        if lines[m["line"] - 1] != m["original"]:
            sys.exit(f"{m['file']}:{m['line']}: the scratch copy differs from the worktree")
        lines[m["line"] - 1] = m["mutated"]
        cycle = time.time()
        try:
            path.write_text("\n".join(lines))
            if not run.build(scratch, args.jobs):
                status, detail = "BUILD-FAILED", ""
            else:
                killers = run.failing_tests(scratch, args.timeout,
                                            AREA_TESTS[m["file"].split("/")[0]])
                reason = equivalents.get((m["file"], m["original"].strip(), m["mutated"].strip()))
                if killers:
                    status, detail = "KILLED", "by " + ", ".join(killers)
                elif reason:
                    status, detail = "EQUIVALENT", reason
                else:
                    status, detail = "SURVIVED", ""
                    survivors.append(m)
        finally:
            path.write_text(original)  # a fresh time stamp: the next build recompiles it
        counts[status] = counts.get(status, 0) + 1
        print(f"{status:<13} {describe(m)} ({time.time() - cycle:.0f} s)"
              + (f" {detail}" if detail else ""), flush=True)
    run.build(scratch, args.jobs)  # leaves the scratch build as the tree is

    args.record.parent.mkdir(parents=True, exist_ok=True)
    with args.record.open("w") as record:
        record.write("# Survivors of tools/mutants/generate.py: file, line, operator, original, "
                     "mutated.\n# An equivalent one goes to equivalent-generated.tsv as file, "
                     "original, mutated, reason.\n")
        for m in survivors:
            record.write("\t".join([m["file"], str(m["line"]), m["op"], escape(m["original"]),
                                    escape(m["mutated"])]) + "\n")
    if survivors:
        print("\nSurvivors:")
        for m in survivors:
            print("  " + describe(m))
    killed, survived = counts.get("KILLED", 0), counts.get("SURVIVED", 0)
    rate = f"{100 * killed / (killed + survived):.0f}%" if killed + survived else "n/a"
    print(f"\n{len(chosen)} mutants in {time.time() - started:.0f} s: {killed} killed, {survived} "
          f"survived, {counts.get('EQUIVALENT', 0)} equivalent, {counts.get('BUILD-FAILED', 0)} "
          f"build-failed; kill rate {rate} of the non-equivalent built ones. Survivors in "
          f"{args.record}")
    return 1 if survivors else 0


if __name__ == "__main__":
    sys.exit(main())

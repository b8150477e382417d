#!/usr/bin/env python3
"""Fault injection: does every test suite fail when the code is wrong?

  faults.py [--list FILE] [--only TEXT] [--check] [--keep-going]

Applies each fault of the list (tools/faults/faults.txt unless --list), one at a time, to a
scratch copy of the tree in build/faults/tree, builds it, and runs the tests that should
catch it: the native tests (all but the soak) whenever the native build changed, for a
fault with a "win64:" line the 64-bit Windows build's tests whose names match that pattern,
under wine, and for one with an "x11:" line the X11 saver build's tests that match it. A fault is caught when a test fails; faults that pass every test are printed at
the end, with the caught share, and so are faults that do not build (mistakes of the list).
--only runs the faults whose name contains TEXT; --check only checks that every fault applies
to the tree.

List format: a fault starts with "== NAME"; "file: PATH" starts an edit of that file; the
"- " lines that follow are text of the file (matched exactly once, lines joined), the "+ "
lines its replacement; "win64: REGEX" and "x11: REGEX" name Windows and X11 tests to run too. "#" lines are comments.
"""
import argparse
import os
import shutil
import subprocess
import sys
import time

TOP = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
SCRATCH = os.path.join(TOP, "build", "faults")
TREE = os.path.join(SCRATCH, "tree")
# The builds besides the native one that a fault can name tests of.
EXTRA_PRESETS = ("win64", "x11")


class BuildFailure(Exception):
    """A fault that does not build: the list is wrong, no test has caught anything."""


class Fault:
    def __init__(self, name):
        self.name = name
        self.edits = []  # [path, old lines, new lines]
        self.suites = {}  # preset -> test name pattern


def read_faults(path):
    faults, fault, edit, mode = [], None, None, None
    for number, raw in enumerate(open(path, encoding="utf-8"), 1):
        line = raw.rstrip("\n")
        where = "%s:%d" % (path, number)
        if line.startswith("#") or (not line.strip() and mode is None):
            continue
        if line.startswith("== "):
            fault = Fault(line[3:].strip())
            faults.append(fault)
            edit, mode = None, None
        elif fault is None:
            sys.exit("%s: text before the first fault" % where)
        elif line.startswith("file: "):
            edit = [line[6:].strip(), [], []]
            fault.edits.append(edit)
            mode = "old"
        elif line.split(":", 1)[0] in EXTRA_PRESETS:
            preset, pattern = line.split(":", 1)
            fault.suites[preset] = pattern.strip()
            mode = None
        elif line.startswith("- ") or line == "-":
            if edit is None or mode != "old":
                sys.exit("%s: '-' line outside an edit's old text" % where)
            edit[1].append(line[2:])
        elif line.startswith("+ ") or line == "+":
            if edit is None or not edit[1]:
                sys.exit("%s: '+' line before the old text" % where)
            mode = "new"
            edit[2].append(line[2:])
        elif not line.strip():
            mode = None
        else:
            sys.exit("%s: cannot read %r" % (where, line))
    for fault in faults:
        if not fault.edits:
            sys.exit("fault %r changes nothing" % fault.name)
    return faults


def applied(fault, root):
    """{path: (original, faulty)} for the fault's edits on the files under root."""
    texts = {}
    for path, old, new in fault.edits:
        full = os.path.join(root, path)
        original = texts[path][0] if path in texts else open(full, encoding="utf-8").read()
        current = texts[path][1] if path in texts else original
        old_text, new_text = "\n".join(old), "\n".join(new)
        count = current.count(old_text)
        if count != 1:
            raise ValueError("%s: the text of fault %r occurs %d times in %s" % (path, fault.name, count, path))
        texts[path] = (original, current.replace(old_text, new_text))
    return texts


def sync_tree():
    """The scratch tree holds the tracked files as they are in the working tree; files whose
    content is unchanged keep their times, so builds stay incremental."""
    files = subprocess.run(["git", "ls-files", "-z"], cwd=TOP, check=True, capture_output=True).stdout
    for name in files.decode().split("\0"):
        if not name:
            continue
        source, target = os.path.join(TOP, name), os.path.join(TREE, name)
        if os.path.islink(source) or not os.path.isfile(source):
            if os.path.islink(source) and not os.path.lexists(target):
                os.makedirs(os.path.dirname(target), exist_ok=True)
                os.symlink(os.readlink(source), target)
            continue
        data = open(source, "rb").read()
        if os.path.isfile(target) and open(target, "rb").read() == data:
            continue
        os.makedirs(os.path.dirname(target), exist_ok=True)
        with open(target, "wb") as out:
            out.write(data)
        shutil.copymode(source, target)


def run(command, log):
    with open(log, "a") as out:
        out.write("\n$ %s\n" % " ".join(command))
        out.flush()
        return subprocess.run(command, cwd=TREE, stdout=out, stderr=subprocess.STDOUT).returncode


def build(preset, log):
    """0: built with work done, 1: nothing to rebuild, 2: the build failed."""
    with open(log, "a") as out:
        result = subprocess.run(["cmake", "--build", "--preset", preset], cwd=TREE, capture_output=True, text=True)
        out.write(result.stdout + result.stderr)
    if result.returncode != 0:
        return 2
    return 1 if "no work to do" in result.stdout else 0


def configure(preset, log):
    if run(["cmake", "--preset", preset], log) != 0 or build(preset, log) == 2:
        sys.exit("the scratch tree does not build with preset %s; see %s" % (preset, log))


def test(fault, native_changed, log):
    """The first failing suite, or None."""
    if native_changed:
        if run(["ctest", "--test-dir", "build/native", "-LE", "soak", "--stop-on-failure"], log) != 0:
            return "native tests"
    for preset, pattern in fault.suites.items():
        if build(preset, log) == 2:
            raise BuildFailure()
        if run(["ctest", "--test-dir", "build/" + preset, "-R", pattern, "--stop-on-failure"], log) != 0:
            return "%s tests %s" % (preset, pattern)
    return None


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--list", default=os.path.join(TOP, "tools", "faults", "faults.txt"))
    parser.add_argument("--only", default="")
    parser.add_argument("--check", action="store_true")
    args = parser.parse_args()
    faults = [f for f in read_faults(args.list) if args.only in f.name]
    for fault in faults:
        try:
            applied(fault, TOP)
        except ValueError as error:
            sys.exit(str(error))
    if args.check:
        print("%d faults, each applies to the tree" % len(faults))
        return 0
    if not faults:
        sys.exit("no fault matches %r" % args.only)

    started = time.time()
    os.makedirs(os.path.join(SCRATCH, "logs"), exist_ok=True)
    sync_tree()
    setup_log = os.path.join(SCRATCH, "logs", "setup.log")
    open(setup_log, "w").close()
    configure("native", setup_log)
    for preset in EXTRA_PRESETS:
        if any(preset in f.suites for f in faults):
            configure(preset, setup_log)

    missed, broken = [], []
    for number, fault in enumerate(faults, 1):
        log = os.path.join(SCRATCH, "logs", "fault-%03d.log" % number)
        open(log, "w").write("fault: %s\n" % fault.name)
        texts = applied(fault, TREE)
        begun = time.time()
        try:
            for path, (_, faulty) in texts.items():
                open(os.path.join(TREE, path), "w", encoding="utf-8").write(faulty)
            state = build("native", log)
            try:
                if state == 2:
                    raise BuildFailure()
                verdict = test(fault, state == 0, log)
                outcome = "caught by " + verdict if verdict else "NOT CAUGHT"
                if not verdict:
                    missed.append(fault)
            except BuildFailure:
                broken.append(fault)
                outcome = "DOES NOT BUILD (the list is wrong)"
        finally:
            for path, (original, _) in texts.items():
                open(os.path.join(TREE, path), "w", encoding="utf-8").write(original)
        print("%3d/%d %-70s %s (%.0f s)" % (number, len(faults), fault.name[:70], outcome, time.time() - begun),
              flush=True)

    total = len(faults) - len(broken)
    print()
    if broken:
        print("Faults that do not build (mend the list):")
        for fault in broken:
            print("  " + fault.name)
    if missed:
        print("Faults no test caught:")
        for fault in missed:
            print("  " + fault.name)
    print("caught %d of %d faults (%.0f%%) in %.0f s; logs in %s" % (
        total - len(missed), total, 100.0 * (total - len(missed)) / max(total, 1), time.time() - started,
        os.path.join(SCRATCH, "logs")))
    return 1 if missed or broken else 0


if __name__ == "__main__":
    sys.exit(main())

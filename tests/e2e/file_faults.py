#!/usr/bin/env python3
"""The file faults of tests/testdata/download/file-faults.txt: one run of dexal-download or
dexal-report per row, in a folder of its own whose every file is compared byte for byte before
and after.

    file_faults.py --download D --report R --sim S --reference SCENARIO --work W [--doc FILE]

With --doc, the table of what was seen is added to the end of FILE (docs/reliability.md).
"""

import argparse
import json
import os
import resource
import shutil
import signal
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "support"))
from dexal_csv import noted_results, sections, whole_sections  # noqa: E402
import dexal_sim  # noqa: E402

TESTDATA = os.path.join(HERE, "..", "testdata", "download")
COLUMNS = ("name", "before", "fault", "emulator", "command", "exit", "line", "after")
TIMEOUT_S = 120
NOBODY = 65534
# Ten seconds and more for the reference scenario's 100 results: time to interrupt it.
PACED = ["--pace", "--fault", "late:100@0x2821"]


def pairs(cell):
    return [item.split("=", 1) for item in cell.split()] if cell != "-" else []


def make_files(folder, before, golden):
    for name, kind in pairs(before):
        path = os.path.join(folder, name)
        if kind == "dir":
            os.makedirs(path)
        elif kind[:5] in ("link>", "hard>"):
            (os.symlink if kind[0] == "l" else os.link)(
                kind[5:] if kind[0] == "l" else os.path.join(folder, kind[5:]), path)
        else:
            open(path, "wb").write(golden.get(kind, ("%s from before\n" % name).encode()))


def snapshot(folder):
    """Every file, folder and link under FOLDER: its bytes, "folder", or "link to T"."""
    found = {}
    for root, dirs, files in os.walk(folder):
        for path in (os.path.join(root, name) for name in dirs + files):
            found[os.path.relpath(path, folder)] = (
                "link to " + os.readlink(path) if os.path.islink(path) else
                "folder" if os.path.isdir(path) else open(path, "rb").read())
    return found


def child_setup(fault, folder):
    """The run's process before it starts: a file size limit (a full disk), or a user who may not
    write into the read-only folder (root writes anywhere: the run is then the user nobody's)."""
    if fault.startswith("readonly:"):
        os.chmod(os.path.join(folder, fault[9:]), 0o555)

    def setup():
        if fault.startswith("fsize:"):
            signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
            resource.setrlimit(resource.RLIMIT_FSIZE, (int(fault[6:]), int(fault[6:])))
        elif fault.startswith("readonly:") and os.getuid() == 0:
            os.setgid(NOBODY)
            os.setuid(NOBODY)
    return setup


def first_section_written(part):
    """Whether the part file holds its first whole section: the second result has begun."""
    data = open(part, "rb").read() if os.path.exists(part) else b""
    at = data.find(b"\r\nAsset ID,")
    return at >= 0 and data.find(b"\r\n\r\n", at) >= 0


def run(args, row, folder):
    """The row's command in FOLDER: exit status, stdout and stderr."""
    words = row["command"].split()
    sim = None
    if row["emulator"] != "-":
        paced = row["emulator"] == "paced"
        sim, pty = dexal_sim.start_sim(args.sim, os.path.join(args.work, "sim.out"),
                                       ["--scenario", args.reference if paced else args.empty] +
                                       (PACED if paced else []))
        words = [pty if w == "PTY" else w for w in words]
    try:
        proc = subprocess.Popen([getattr(args, words[0][6:])] + words[1:], cwd=folder,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                preexec_fn=child_setup(row["fault"], folder),
                                env=dict(os.environ, TZ="UTC"))
        if row["fault"] in ("sigint", "sigterm"):
            part = os.path.join(folder, words[words.index("--output") + 1] + ".part")
            deadline = time.time() + TIMEOUT_S
            while not first_section_written(part):
                if proc.poll() is not None or time.time() > deadline:
                    raise RuntimeError("the download ended or stalled before its first section")
                time.sleep(0.02)
            proc.send_signal(signal.SIGINT if row["fault"] == "sigint" else signal.SIGTERM)
        out, err = proc.communicate(timeout=TIMEOUT_S)
        return proc.returncode, out.decode(), err.decode()
    finally:
        if sim:
            dexal_sim.stop(sim)


def check_after(row, before, after, golden, notes):
    """What differs from what the row expects, as a list of texts."""
    problems, expected = [], dict(pairs(row["after"]))
    for name in sorted(set(before) | set(after) | set(expected)):
        kind, now = expected.get(name), after.get(name)
        if kind is None and now != before.get(name):
            problems.append(name + (" changed" if name in before else " left behind"))
        elif kind == "absent" and now is not None:
            problems.append(name + " is there")
        elif kind == "new" and now is None:
            problems.append(name + " was not made")
        elif kind and kind.startswith("sections>"):
            clean = golden[kind[9:]]
            count = whole_sections(now or b"", clean)
            if count is None or not 0 < count < len(sections(clean)[1]):
                problems.append("%s does not hold whole sections, fewer than all" % name)
            elif [noted_results(n) for n in notes] != [count]:
                problems.append("the note %r for %d sections" % (notes, count))
        elif kind in golden and now != golden[kind]:
            problems.append("%s is not the %s file" % (name, kind))
    return problems


def check_row(args, row, folder, golden):
    """What the run said, and what differs from what the row expects."""
    os.makedirs(folder)
    make_files(folder, row["before"], golden)
    before = snapshot(folder)
    try:
        rc, out, err = run(args, row, folder)
    finally:
        for root, dirs, _ in os.walk(folder):
            for name in dirs:
                os.chmod(os.path.join(root, name), 0o755)
    said = [line for line in (out + err).splitlines() if line.startswith(row["line"])]
    said = said if row["line"] != "-" or out + err else ["-"]
    problems = [] if rc == int(row["exit"]) else ["exit %d" % rc]
    problems += [] if said else ["no line %r in %r" % (row["line"], out + err)]
    notes = [line for line in err.splitlines() if line.startswith("note: ")]
    return "exit %d; %s" % (rc, (said or [""])[0]), problems + check_after(
        row, before, snapshot(folder), golden, notes)


def main():
    parser = argparse.ArgumentParser()
    for name in ("download", "report", "sim", "reference", "work", "doc"):
        parser.add_argument("--" + name, required=name != "doc")
    args = parser.parse_args()
    for name in ("download", "report", "sim", "reference", "work"):  # each run has its own cwd
        setattr(args, name, os.path.abspath(getattr(args, name)))
    shutil.rmtree(args.work, ignore_errors=True)
    os.makedirs(args.work)
    args.empty = os.path.join(args.work, "empty.json")
    json.dump(dict(json.load(open(args.reference)), results=[]), open(args.empty, "w"))
    golden = {name: open(os.path.join(TESTDATA, name + ".csv"), "rb").read()
              for name in ("demo", "reference")}
    points = os.path.join(args.work, "points.csv")
    subprocess.run([args.download, "--simulate", "--graph-points", "--output", points],
                   check=True, capture_output=True)
    golden["points"] = open(points, "rb").read()
    seen = []
    for line in open(os.path.join(TESTDATA, "file-faults.txt")):
        if line.strip() and not line.startswith("#"):
            row = dict(zip(COLUMNS, (cell.strip() for cell in line.split("|"))))
            try:
                said, problems = check_row(args, row, os.path.join(
                    args.work, "row-%02d" % len(seen)), golden)
            except (RuntimeError, subprocess.TimeoutExpired) as e:
                said, problems = "-", [str(e)]
            seen.append((row["name"], row["command"], said, "; ".join(problems) or "as expected"))
            if problems:
                print("FAIL: %s: %s" % (row["name"], "; ".join(problems)))
    if args.doc:
        with open(args.doc, "a") as f:
            f.write("\n# Reliability: the file faults\n\nWritten by `make reliability` "
                    "(tests/e2e/file_faults.py, rows in tests/testdata/download/file-faults.txt): "
                    "one run per row in a folder of its own. Every file, folder and link there is "
                    "compared byte for byte before and after the run: the files the row names "
                    "must have become what it says, every other one must be as it was, and "
                    "nothing new may be left behind.\n\n| Fault | Command | Seen | Files |\n"
                    "|---|---|---|---|\n")
            f.writelines("| %s |\n" % " | ".join(c.replace("|", "\\|") for c in row)
                         for row in seen)
    failed = sum(row[3] != "as expected" for row in seen)
    print("%s: file faults, %d rows" % ("FAIL" if failed else "PASS", len(seen)))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())

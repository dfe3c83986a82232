#!/usr/bin/env python3
"""dexal-download against dexal-tester-sim over pseudo-terminals.

Checks the built-in demo download against the golden CSV, the reference scenario's download against
tests/testdata/download/reference.csv (with graph points: one graph line per sample), and the
fault matrix: every fault the emulator injects, at the first command, in the tester identity and
in the middle of a multi-chunk result, plus unknown test types and malformed results. For each
case: the notices, the exit status, the CSV (equal to a clean download's, or untouched) and its
part file (the tester header and only complete sections, each equal to a clean download's).

    download_e2e.py --download D --sim S --golden G --reference R --work W [--report FILE]
"""

import argparse
import json
import os
import re
import shutil
import subprocess
import sys
import time
import types

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "support"))
from dexal_csv import noted_results, sections, whole_sections  # noqa: E402
import dexal_sim  # noqa: E402

TESTDATA = os.path.join(HERE, "..", "testdata", "download")
TIMEOUT_S = 120
UNTOUCHED = b"contents from before the download\r\n"


class Failure(RuntimeError):
    pass


def read(path):
    return open(path, "rb").read() if os.path.exists(path) else None


def download(args, name, sim_args=None, extra=()):
    """dexal-download into WORK/NAME.csv, from an emulator of its own started with SIM_ARGS
    (None: no emulator): its exit status (rc), stdout, stderr, the seconds taken, the file's bytes
    (data) and its part file's (part), None for a file that is not there."""
    base = os.path.join(args.work, name)
    cmd = [args.download, "--output", base + ".csv"] + list(extra)
    proc = None
    if sim_args is not None:
        proc, pty = dexal_sim.start_sim(args.sim, base + ".sim.out", sim_args)
        cmd += ["--port", pty]
    started = time.time()
    try:
        done = subprocess.run(cmd, capture_output=True, text=True, timeout=TIMEOUT_S,
                              env=dict(os.environ, TZ="UTC"))
    except subprocess.TimeoutExpired:
        raise Failure("dexal-download did not finish within %d s" % TIMEOUT_S)
    finally:
        if proc:
            dexal_sim.stop(proc)
    return types.SimpleNamespace(rc=done.returncode, stdout=done.stdout, stderr=done.stderr,
                                 seconds=time.time() - started, data=read(base + ".csv"),
                                 part=read(base + ".csv.part"))


def stderr_parts(stderr):
    """The [Caption] notices, each with its continuation lines; the warnings and the notes, one
    line each; and the stray lines, which belong to none (a warning's cause spilling onto a line
    of its own)."""
    found, warns, notes, strays = [], [], [], []
    inside = False
    for line in stderr.splitlines():
        if line.startswith("["):
            found.append(line)
            inside = True
        elif line.startswith("warning: ") or line.startswith("note: "):
            (warns if line.startswith("warning: ") else notes).append(line)
            inside = False
        elif inside:
            found[-1] += "\n" + line
        else:
            strays.append(line)
    return [n.rstrip("\n") for n in found], warns, notes, strays


def check_reference(args, data, golden):
    """With graph points: the golden file once the graph lines are taken out, and as many graph
    lines in each pulse result's section as the scenario gives the pulse samples."""
    plain = re.sub(rb"\nTime \(ms\),[^\r\n]*\r\n(?:[^\r\n]+\r\n)*", b"\n", data)
    if plain != golden:
        raise Failure("reference download differs from tests/testdata/download/reference.csv")
    results = json.load(open(args.reference))["results"]
    for index, (result, section) in enumerate(zip(results, sections(data)[1])):
        want = result["pulse"].get("count", 31250) if result.get("pulse") else 0
        if section.count("\r\n") - 3 - (1 if want else 0) != want:
            raise Failure("result %d: graph lines for %d samples differ" % (index + 1, want))


# ---- the fault matrix ------------------------------------------------------------------------

def matrix(points):
    """The rows of the fault matrix, their faults placed at the request numbers found."""
    def place(m):
        return "@%d" % (points[m.group(1)] + int(m.group(2) or 0))
    cases = []
    for line in open(os.path.join(TESTDATA, "fault-matrix.txt")):
        if line.strip() and not line.startswith("#"):
            fault, where, faults, scenario, code, file, warns, notices = [
                cell.strip() for cell in line.split("|")]
            notices = [n.replace("\\n", "\n").replace("\\s", " ") for n in notices.split(" ; ")]
            cases.append(dict(
                fault=fault, where=where, scenario=scenario, exit=int(code), file=file,
                warnings=int(warns), notices=notices,
                faults=[arg for f in faults.split() if f != "-" for arg in (
                    "--fault", re.sub(r"@(first|identity|chunk)(?:\+(\d+))?", place, f))],
                expected="exit %s; %s; file %s" % (code, "; ".join(
                    n.replace("\n", " ") for n in notices), file)))
    return cases


def scenario_files(args):
    """The reference scenario and its variants: no results at all, and its first five results
    with one odd result third (a test type without a record, or a malformed result from
    e2e.json)."""
    reference = json.load(open(args.reference))
    base = reference["results"][:5]
    files = {"reference": args.reference, "empty": os.path.join(args.work, "scenario-empty.json")}
    json.dump(dict(reference, results=[]), open(files["empty"], "w"))
    for name, result in json.load(open(os.path.join(TESTDATA, "e2e.json")))["odd"].items():
        files[name] = os.path.join(args.work, "scenario-" + re.sub(r"\W+", "-", name) + ".json")
        json.dump(dict(reference, results=base[:2] + [result] + base[2:]), open(files[name], "w"))
    return files


def fault_points(log):
    """Request numbers: the first command, the serial number, a chunk inside a long result."""
    requests = [json.loads(line) for line in open(log) if line.strip()]
    by_result = []
    for r in requests:
        if r["code"] == "0x2821":
            by_result.append([])
        elif r["code"] == "0x2822" and by_result:
            by_result[-1].append(r["request"])
    long_results = [chunks for chunks in by_result if len(chunks) >= 3]
    if not long_results:
        raise Failure("the reference scenario has no result of three chunks or more")
    serial = next(r["request"] for r in requests if r["code"] == "0x2900")
    return {"first": 1, "identity": serial, "chunk": long_results[0][1]}


def check_case(case, run, clean):
    problems = [] if run.rc == case["exit"] else ["exit %d" % run.rc]
    seen, warns, notes, strays = stderr_parts(run.stderr)
    if strays:
        problems.append("stray stderr lines %r" % strays)
    if len(seen) != len(case["notices"]) or any(
            not s.startswith(e) for s, e in zip(seen, case["notices"])):
        problems.append("notices differ")
    if len(warns) < case["warnings"]:
        problems.append("%d warnings" % len(warns))
    # A note says what became of the files whenever the output was not replaced.
    if len(notes) != (0 if case["file"] == "clean" else 1):
        problems.append("notes %r" % notes)
    if case["file"] == "untouched":
        bad, file_check = run.data != UNTOUCHED or run.part is not None, "untouched"
    elif case["file"] == "clean":
        bad, file_check = run.data != clean or run.part is not None, "equal to clean"
    else:
        # The output as it was; whole sections only in the part file, each as the clean download
        # wrote it, fewer than all, as many as the note says; no part file without a section.
        count = 0 if run.part is None else whole_sections(run.part, clean)
        bad = (run.data != UNTOUCHED or count is None or count == 0 and run.part is not None or
               count >= len(sections(clean)[1]) or [noted_results(n) for n in notes] != [count])
        file_check = "untouched; part file: %s complete sections, as clean" % count
    if bad:
        file_check = "NOT " + file_check
        problems.append(file_check)
    return problems, seen, file_check


def run_matrix(args, points, golden):
    files = scenario_files(args)
    header, golden_sections = sections(golden)
    first_five = (header + "".join(golden_sections[:5])).encode()
    rows, failed = [], 0
    for number, case in enumerate(matrix(points), 1):
        name = "case-%03d" % number
        open(os.path.join(args.work, name + ".csv"), "wb").write(UNTOUCHED)
        run = download(args, name, ["--scenario", files[case["scenario"]]] + case["faults"])
        problems, seen, file_check = check_case(
            case, run, golden if case["scenario"] == "reference" else first_five)
        status = "ok" if not problems else "FAIL: " + ", ".join(problems)
        if problems:
            failed += 1
            print("case %d %s at %s: %s\n  expected: %s\n  stderr:\n%s" % (
                number, case["fault"], case["where"], status, case["expected"],
                "\n".join("    " + l for l in run.stderr.splitlines()[-12:])), file=sys.stderr)
        seen_text = "exit %d; %s" % (run.rc, "; ".join(s.replace("\n", " ") for s in seen))
        rows.append((case["fault"], case["where"], case["expected"], seen_text, file_check,
                     "%.1f s" % run.seconds, status))
    return rows, failed


def write_report(path, rows, points):
    with open(path, "w") as f:
        f.write("# Reliability: the fault matrix\n\n"
                "Written by `make reliability` (tests/e2e/download_e2e.py): dexal-download against "
                "dexal-tester-sim over a pseudo-terminal, one download per row, serving the "
                "reference scenario (tester/scenarios/reference.json) or its first five results "
                "with an odd result third. Faults are placed at request %d (the first command), "
                "request %d (the serial number) and request %d (the second chunk of the first "
                "result that takes three chunks or more). A download that does not complete "
                "leaves the output untouched; \"part file: N complete sections, as clean\" "
                "means its part file holds the tester header and only whole sections, each byte "
                "for byte equal to the same section of a clean download, none twice, as many as "
                "its \"note: \" line says (none: the part file is removed).\n\n"
                % (points["first"], points["identity"], points["chunk"]))
        f.write("| Fault | Where | Expected | Seen | File check | Time | Result |\n")
        f.write("|---|---|---|---|---|---|---|\n")
        for row in rows:
            f.write("| " + " | ".join(c.replace("|", "\\|") for c in row) + " |\n")


def main():
    parser = argparse.ArgumentParser()
    for name in ("download", "sim", "golden", "reference", "work"):
        parser.add_argument("--" + name, required=True)
    parser.add_argument("--report")
    args = parser.parse_args()
    shutil.rmtree(args.work, ignore_errors=True)  # no part file of an earlier run
    os.makedirs(args.work)
    golden = read(args.golden)
    try:
        # The built-in demo tester against the golden file (over a pty: the reference scenario).
        # On success, one line on stdout and only the message block on stderr.
        run = download(args, "simulate", extra=["--simulate"])
        said = "12 results written to %s\n" % os.path.join(args.work, "simulate.csv")
        if (run.rc != 0 or run.stdout != said or run.data != golden or
                stderr_parts(run.stderr) != (["[Download] Download complete"], [], [], [])):
            raise Failure("--simulate: exit %d, %r, %r, CSV %s" % (
                run.rc, run.stdout, run.stderr, run.data == golden))
        print("PASS: demo download equals the golden CSV")

        # The reference scenario with graph points; its requests place the matrix's faults.
        log = os.path.join(args.work, "reference.sim.log")
        run = download(args, "reference", ["--scenario", args.reference, "--log", log],
                       ["--graph-points"])
        if run.rc != 0:
            raise Failure("reference download: exit %d, %s" % (run.rc, run.stderr))
        reference = read(os.path.join(TESTDATA, "reference.csv"))
        check_reference(args, run.data, reference)
        print("PASS: reference scenario equals the golden CSV")

        points = fault_points(log)
        rows, failed = run_matrix(args, points, reference)
        if args.report:
            write_report(args.report, rows, points)
            print("fault matrix written to " + args.report)
        if failed:
            raise Failure("%d of %d fault cases failed" % (failed, len(rows)))
        print("PASS: fault matrix, %d cases" % len(rows))
    except RuntimeError as e:  # a Failure, or an emulator that did not start
        print("FAIL: %s" % e, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
"""dexal-download against dexal-tester-sim over pseudo-terminals.

Checks the demo download against the golden CSV, the reference scenario's fields in the CSV, and
the fault matrix: every fault the emulator injects, at the first command, in the tester identity
and in the middle of a multi-chunk result, plus unknown test types and malformed results. For
each case: the notices, the exit status and the CSV (untouched when no result was reached,
otherwise the tester header and only complete sections, each equal to a clean download's).

    download_e2e.py --download D --sim S --golden G --reference R --work W [--report FILE]
"""

import argparse
import csv
import io
import json
import os
import re
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "support"))
from dexal_csv import sections  # noqa: E402

TESTDATA = os.path.join(HERE, "..", "testdata", "download")
DATA = json.load(open(os.path.join(TESTDATA, "e2e.json")))
TYPE_NAMES, NUMERIC_COLUMNS = DATA["typeNames"], DATA["numericColumns"]
MALFORMED = DATA["malformed"]
TIMEOUT_S = 120
UNTOUCHED = b"contents from before the download\r\n"


class Failure(Exception):
    pass


class Sim:
    """One dexal-tester-sim on a new pseudo-terminal, serving one download."""

    def __init__(self, args, work, name, scenario=None, faults=(), log=False):
        self.out = os.path.join(work, name + ".sim.out")
        self.err = os.path.join(work, name + ".sim.err")
        self.log = os.path.join(work, name + ".sim.log") if log else None
        cmd = [args.sim, "--once"]
        if scenario:
            cmd += ["--scenario", scenario]
        for fault in faults:
            cmd += ["--fault", fault]
        if self.log:
            cmd += ["--log", self.log]
        self.proc = subprocess.Popen(cmd, stdout=open(self.out, "w"), stderr=open(self.err, "w"))
        self.pty = None
        deadline = time.time() + 10
        while time.time() < deadline:
            with open(self.out) as f:
                m = re.search(r"^PTY (\S+)$", f.read(), re.M)
            if m:
                self.pty = m.group(1)
                return
            if self.proc.poll() is not None:
                raise Failure("emulator exited: " + open(self.err).read())
            time.sleep(0.05)
        self.stop()
        raise Failure("emulator printed no PTY line within 10 s")

    def stop(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()

    def requests(self):
        with open(self.log) as f:
            return [json.loads(line) for line in f if line.strip()]


def download(args, port, output, extra=()):
    cmd = [args.download, "--output", output] + list(extra)
    if port:
        cmd += ["--port", port]
    started = time.time()
    try:
        done = subprocess.run(cmd, capture_output=True, text=True, timeout=TIMEOUT_S,
                              env=dict(os.environ, TZ="UTC"))
    except subprocess.TimeoutExpired:
        raise Failure("dexal-download did not finish within %d s" % TIMEOUT_S)
    return done.returncode, done.stderr, time.time() - started


def read(path):
    if not os.path.exists(path):
        return None
    with open(path, "rb") as f:
        return f.read()


def stderr_parts(stderr):
    """The [Caption] notices, each with its continuation lines; the warnings, one line each; and
    the stray lines, which belong to neither (a warning's cause spilling onto a line of its own)."""
    found, warns, strays = [], [], []
    inside = False
    for line in stderr.splitlines():
        if line.startswith("["):
            found.append(line)
            inside = True
        elif line.startswith("warning: "):
            warns.append(line)
            inside = False
        elif inside:
            found[-1] += "\n" + line
        else:
            strays.append(line)
    return [n.rstrip("\n") for n in found], warns, strays


# ---- the reference scenario's fields, found in the CSV -------------------------------------




def near(cell, expected, what):
    """The cell equals the value at the precision it is written with."""
    m = re.match(r"^-?\d+(\.(\d+))?", cell)
    if not m:
        raise Failure("%s: %r is not a number" % (what, cell))
    decimals = len(m.group(2) or "")
    # Integer columns may round either way (half up or away from zero): one unit of slack.
    slack = 1.0 if decimals == 0 else 0.5 * 10 ** -decimals + 1e-9
    if abs(float(m.group(0)) - expected) > slack * (1 + 1e-6):
        raise Failure("%s: %r, expected %r" % (what, cell, expected))


def check_reference_fields(scenario_path, data):
    scenario = json.load(open(scenario_path))
    _, found = sections(data)
    if len(found) != len(scenario["results"]):
        raise Failure("%d sections for %d results" % (len(found), len(scenario["results"])))
    checked = 0
    for index, (result, section) in enumerate(zip(scenario["results"], found)):
        rows = list(csv.reader(io.StringIO(section, newline="")))
        header, values = rows[0], rows[1]
        cell = dict(zip(header, values))
        what = "result %d" % (index + 1)
        expect = {
            "Asset ID": result.get("assetId", ""), "Asset Make": result.get("assetMake", ""),
            "Asset Model": result.get("assetModel", ""), "Asset Serial": result.get("assetSerial", ""),
            "Test Type": TYPE_NAMES[result["testType"]],
            "Status": "Pass" if result.get("status", "pass") == "pass" else "Fail",
            "NominalLoad": str(result.get("nominalLoad", 0)),
        }
        d = result["date"]
        expect["Date"] = "%04d-%02d-%02dT%02d:%02d:%02d" % (
            d["year"], d["month"], d["day"], d["hour"], d["minute"], d["second"])
        if result["testType"] == "general-comments":
            expect["Description"] = result.get("observation", "")
        else:
            expect["Comment"] = result.get("comment", "")
        for column, value in expect.items():
            if cell.get(column) != value:
                raise Failure("%s %s: %r, expected %r" % (what, column, cell.get(column), value))
            checked += 1
        for field, (column, factor) in NUMERIC_COLUMNS.items():
            if field in result:
                near(cell[column], result[field] * factor, what + " " + column)
                checked += 1
        if "ecgInverted" in result:
            want = "Inverted" if result["ecgInverted"] else "Normal"
            if cell["ECG Signal inverted"] != want:
                raise Failure("%s ECG Signal inverted: %r" % (what, cell["ECG Signal inverted"]))
            checked += 1
        sim = result.get("simulator")
        if sim:
            near(cell["ECG Waveform peak (mV)"], sim["peakMicrovolts"] / 1000.0, what + " peak")
            checked += 1
            if "ECG Waveform rate" in cell:
                near(cell["ECG Waveform rate"], sim["rate"] / 10.0, what + " rate")
                checked += 1
        pulse = result.get("pulse")
        if pulse and "joules" in pulse:
            energy = float(cell["Defib Energy (J)"])
            if abs(energy - pulse["joules"]) > 0.01 * pulse["joules"]:
                raise Failure("%s energy %r, expected about %r J" % (what, energy, pulse["joules"]))
            checked += 1
        if pulse:
            rows = [row for row in rows if row]
            if len(rows) < 3 or rows[2][0] != "Time (ms)":
                raise Failure("%s: no graph header line" % what)
            graph = len(rows) - 3
            if graph != pulse.get("count", 31250):
                raise Failure("%s: %d graph lines for %d samples" % (what, graph, pulse["count"]))
            checked += 1
    return checked


# ---- the fault matrix ------------------------------------------------------------------------

COMPLETE = "[Download] Download complete"


class Case:
    def __init__(self, fault, where, faults, scenario, exit_code, file, warnings, notices):
        self.fault, self.where, self.faults = fault, where, faults
        self.scenario, self.exit_code, self.notices = scenario, exit_code, notices
        self.file, self.warnings = file, warnings

    def expected_text(self):
        shown = "; ".join(n.replace("\n", " ") for n in self.notices)
        return "exit %d; %s; file %s" % (self.exit_code, shown, self.file)


def matrix(points):
    """The rows of the fault matrix, their faults placed at the request numbers found."""
    def place(m):
        return "@%d" % (points[m.group(1)] + int(m.group(2) or 0))
    cases = []
    for line in open(os.path.join(TESTDATA, "fault-matrix.txt")):
        if line.strip() and not line.startswith("#"):
            fault, where, faults, scenario, code, file, warns, notices = [
                cell.strip() for cell in line.split("|")]
            faults = [re.sub(r"@(first|identity|chunk)(?:\+(\d+))?", place, f)
                      for f in faults.split() if f != "-"]
            cases.append(Case(fault, where, faults, scenario, int(code), file, int(warns),
                              [n.replace("\\n", "\n").replace("\\s", " ") for n in notices.split(" ; ")]))
    return cases


def scenario_files(args, work):
    """The reference scenario and its variants (first five results plus one odd result)."""
    reference = json.load(open(args.reference))
    files = {"reference": args.reference}
    base = reference["results"][:5]
    odd = {"unknown": {"testType": 0x21, "assetId": "UNKNOWN-1",
                       "date": {"year": 2026, "month": 1, "day": 2, "hour": 3, "minute": 4,
                                "second": 5}}}
    for name, raw in MALFORMED.items():
        odd["malformed-" + name] = {"testType": "defib-pulse", "raw": raw}
    for name, result in odd.items():
        variant = dict(reference, results=base[:2] + [result] + base[2:])
        path = os.path.join(work, "scenario-" + re.sub(r"\W+", "-", name) + ".json")
        json.dump(variant, open(path, "w"))
        files[name] = path
    files["without-odd"] = os.path.join(work, "scenario-first-five.json")
    json.dump(dict(reference, results=base), open(files["without-odd"], "w"))
    return files


def fault_points(sim):
    """Request numbers: the first command, the serial number, a chunk inside a long result."""
    requests = sim.requests()
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


def check_case(case, rc, stderr, data, clean):
    problems = []
    if rc != case.exit_code:
        problems.append("exit %d" % rc)
    seen, warns, strays = stderr_parts(stderr)
    if strays:
        problems.append("stray stderr lines %r" % strays)
    if len(seen) != len(case.notices) or any(
            not s.startswith(e) for s, e in zip(seen, case.notices)):
        problems.append("notices differ")
    if case.warnings and len(warns) < case.warnings:
        problems.append("%d warnings" % len(warns))
    bad = False
    if case.file == "untouched":
        bad = data != UNTOUCHED
        file_check = "CHANGED" if bad else "untouched"
    elif data is None:
        bad, file_check = True, "MISSING"
    else:
        header, found = sections(data)
        clean_header, clean_sections = sections(clean)
        if case.file == "clean":
            bad = data != clean
            file_check = "DIFFERS FROM CLEAN" if bad else "equal to clean"
        else:
            # Whole sections only, each as the clean download wrote it, and fewer than all.
            whole = (clean_header + "".join(clean_sections[:len(found)])).encode()
            bad = data != whole or len(found) >= len(clean_sections)
            file_check = ("SECTIONS DIFFER" if bad else
                          "%d complete sections, as clean" % len(found))
    if bad:
        problems.append(file_check)
    return problems, seen, file_check


def run_matrix(args, work, files):
    probe = Sim(args, work, "probe", files["reference"], log=True)
    rc, stderr, _ = download(args, probe.pty, os.path.join(work, "reference-clean.csv"))
    probe.stop()
    if rc != 0:
        raise Failure("clean reference download failed: " + stderr)
    points = fault_points(probe)
    clean = {"reference": read(os.path.join(work, "reference-clean.csv"))}
    for name in ("without-odd",):
        sim = Sim(args, work, name, files[name])
        out = os.path.join(work, name + ".csv")
        rc, stderr, _ = download(args, sim.pty, out)
        sim.stop()
        if rc != 0:
            raise Failure("clean download of %s failed: %s" % (name, stderr))
        clean[name] = read(out)
    rows, failed = [], 0
    for number, case in enumerate(matrix(points), 1):
        out = os.path.join(work, "case-%03d.csv" % number)
        with open(out, "wb") as f:
            f.write(UNTOUCHED)
        sim = Sim(args, work, "case-%03d" % number, files[case.scenario], case.faults)
        try:
            rc, stderr, seconds = download(args, sim.pty, out)
        finally:
            sim.stop()
        reference = clean["reference"] if case.scenario == "reference" else clean["without-odd"]
        problems, seen, file_check = check_case(case, rc, stderr, read(out), reference)
        status = "ok" if not problems else "FAIL: " + ", ".join(problems)
        if problems:
            failed += 1
            print("case %d %s at %s: %s\n  expected: %s\n  stderr:\n%s" % (
                number, case.fault, case.where, status, case.expected_text(),
                "\n".join("    " + l for l in stderr.splitlines()[-12:])), file=sys.stderr)
        seen_text = "exit %d; %s" % (rc, "; ".join(s.replace("\n", " ") for s in seen))
        rows.append((case.fault, case.where, case.expected_text(), seen_text, file_check,
                     "%.1f s" % seconds, status))
    return rows, failed, points


def write_report(path, rows, points):
    with open(path, "w") as f:
        f.write("# Reliability: the fault matrix\n\n"
                "Written by `make reliability` (tests/e2e/download_e2e.py): dexal-download against "
                "dexal-tester-sim over a pseudo-terminal, one download per row, serving the "
                "reference scenario (tester/scenarios/reference.json) or its first five results "
                "with an odd result third. Faults are placed at request %d (the first command), "
                "request %d (the serial number) and request %d (the second chunk of the first "
                "result that takes three chunks or more). \"Complete sections, as clean\" means "
                "the file holds the tester header and only whole sections, each byte for byte "
                "equal to the same section of a clean download, none twice.\n\n"
                % (points["first"], points["identity"], points["chunk"]))
        f.write("| Fault | Where | Expected | Seen | File check | Time | Result |\n")
        f.write("|---|---|---|---|---|---|---|\n")
        for row in rows:
            f.write("| " + " | ".join(c.replace("|", "\\|") for c in row) + " |\n")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--download", required=True)
    parser.add_argument("--sim", required=True)
    parser.add_argument("--golden", required=True)
    parser.add_argument("--reference", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--report")
    parser.add_argument("--skip-matrix", action="store_true")
    args = parser.parse_args()
    os.makedirs(args.work, exist_ok=True)
    golden = read(args.golden)
    try:
        # The demo tester, built in and over a pty, against the golden file.
        out = os.path.join(args.work, "simulate.csv")
        rc, stderr, _ = download(args, None, out, ["--simulate"])
        if rc != 0 or stderr_parts(stderr) != ([COMPLETE], [], []):
            raise Failure("--simulate: exit %d, %s" % (rc, stderr))
        if read(out) != golden:
            raise Failure("--simulate CSV differs from %s (see %s)" % (args.golden, out))
        sim = Sim(args, args.work, "demo")
        out = os.path.join(args.work, "demo.csv")
        rc, stderr, _ = download(args, sim.pty, out, ["--set-clock"])
        sim.stop()
        if rc != 0 or read(out) != golden:
            raise Failure("demo over a pty: exit %d, CSV %s" % (
                rc, "equal" if read(out) == golden else "differs"))
        print("PASS: demo download equals the golden CSV")

        # The reference scenario with graph points: every field in the CSV.
        sim = Sim(args, args.work, "reference", args.reference)
        out = os.path.join(args.work, "reference-graph.csv")
        rc, stderr, _ = download(args, sim.pty, out, ["--graph-points"])
        sim.stop()
        if rc != 0:
            raise Failure("reference download: exit %d, %s" % (rc, stderr))
        checked = check_reference_fields(args.reference, read(out))
        print("PASS: reference scenario round trip, %d fields checked" % checked)

        if args.skip_matrix:
            return 0
        files = scenario_files(args, args.work)
        rows, failed, points = run_matrix(args, args.work, files)
        if args.report:
            write_report(args.report, rows, points)
            print("fault matrix written to " + args.report)
        if failed:
            raise Failure("%d of %d fault cases failed" % (failed, len(rows)))
        print("PASS: fault matrix, %d cases" % len(rows))
    except Failure as e:
        print("FAIL: %s" % e, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())

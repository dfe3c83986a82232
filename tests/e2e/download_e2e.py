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


def sections(data):
    """The tester header and the result sections of a CSV file."""
    text = data.decode("utf-8", "replace")
    header_end = text.find("\r\nAsset ID,")
    if header_end < 0:
        return text, []
    header = text[:header_end + 2]
    body = text[header_end + 2:]
    result = []
    for part in body.split("\r\n\r\n"):
        if part:
            result.append(part + "\r\n\r\n")
    return header, result


def notices(stderr):
    """The [Caption] text notices, each with its continuation lines."""
    found = []
    inside = False
    for line in stderr.split("\n"):
        if line.startswith("["):
            found.append(line)
            inside = True
        elif line.startswith("warning: ") or line.startswith("dexal-download"):
            inside = False
        elif found and inside:
            found[-1] += "\n" + line
    return [n.rstrip("\n") for n in found]


def warnings(stderr):
    return [line for line in stderr.split("\n") if line.startswith("warning: ")]


# ---- the reference scenario's fields, found in the CSV -------------------------------------

TYPE_NAMES = {
    "defib-pulse": "Defib Pulse", "defib-charge": "Defib Charge",
    "defib-synch": "Defib Cardiac Sync Time", "aed-pulse": "AED Pulse",
    "pacer-pulse": "Pacer Pulse", "refractory-period": "Pacer Refractory Period",
    "sensitivity": "Pacer Sensitivity", "pacer-immunity": "Pacer Immunity",
    "waveform-simulation": "Waveform Simulation", "general-comments": "General Comments",
}

# JSON field -> column, factor to the column's unit.
NUMERIC_COLUMNS = {
    "chargeTime": ("DefibChargeTime", 1),
    "synchTime": ("Synch Time (ms)", 1000),
    "pulseRate": ("Pacer Pulse Rate (ppm)", 1),
    "pulsedRefractoryPeriod": ("Pacer Pulsed Refractory Period - PRP (ms)", 1000),
    "sensedRefractoryPeriod": ("Pacer Sensed Refractory Period - SRP (ms)", 1000),
    "pulseWidth": ("Pulse Width (ms):", 1000),
    "sensitivity": ("Pacer Sensitivity (mV)", 1000),
}


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
ABORTED = "[Runtime Error] The download was aborted"
NO_RESPONSE = "[Runtime Error] No response from tester. Is it connected and in Download mode?"
STATUS_TEXTS = {1: "Malformed request - incorrect command data", 2: "Generic error",
                3: "Can't start app - it is missing or corrupt",
                4: "Invalid address. Internal programming error)",
                5: "Request failed: operating voltage is too low", 9: "Unknown error status"}


class Case:
    def __init__(self, fault, where, faults=(), scenario="reference", exit_code=0,
                 notices=(COMPLETE,), file="clean", warnings=0, prefix_ok=False):
        self.fault, self.where, self.faults = fault, where, list(faults)
        self.scenario, self.exit_code, self.notices = scenario, exit_code, list(notices)
        self.file, self.warnings = file, warnings

    def expected_text(self):
        shown = "; ".join(n.replace("\n", " ") for n in self.notices)
        return "exit %d; %s; file %s" % (self.exit_code, shown, self.file)


def matrix(points):
    """The cases, given the request numbers of the places where faults go."""
    first, identity, chunk = points["first"], points["identity"], points["chunk"]
    places = [("first command", first), ("tester identity", identity),
              ("mid multi-chunk result", chunk)]
    cases = []
    # Faults that cost nothing: the reply still arrives whole and in time.
    for kind in ("noise:64", "late:100", "split"):
        for where, n in places:
            # Pieces of 3 bytes 2 ms apart would stretch a 4 KB chunk to seconds: no line is
            # that slow, so the chunk is split into pieces of 256.
            fault = kind if kind != "split" else ("split:256" if n == chunk else "split:3")
            cases.append(Case(fault, where, ["%s@%d" % (fault, n)]))
    # Replies that do not belong to the request: the transaction tries again.
    for kind in ("wrong-seq", "swap"):
        for where, n in places:
            cases.append(Case(kind, where, ["%s@%d" % (kind, n)]))
    # The same on all three tries of the command (each try is a request of its own).
    for kind in ("wrong-seq", "swap"):
        thrice = ["%s@%d" % (kind, n) for n in range(0, 3)]
        for where, n in places[:2]:
            cases.append(Case(kind + " x3", where, [f.replace("@%d" % i, "@%d" % (n + i))
                                                    for i, f in enumerate(thrice)],
                              exit_code=1, notices=["[Runtime Error] Protocol Error "],
                              file="untouched"))
        cases.append(Case(kind + " x3", places[2][0],
                          ["%s@%d" % (kind, chunk + i) for i in range(3)],
                          notices=["[Error] Download error: try 1", COMPLETE]))
    # A reply lost or late past the time-out: no response; a result is tried again.
    for kind in ("bad-crc", "no-reply", "late:1000"):
        for where, n in places[:2]:
            cases.append(Case(kind, where, ["%s@%d" % (kind, n)], exit_code=1,
                              notices=[NO_RESPONSE], file="untouched"))
        if kind.startswith("late"):
            # The tester is busy for a second: all three tries of the result time out.
            cases.append(Case(kind, places[2][0], ["%s@%d" % (kind, chunk)], exit_code=1,
                              notices=["[Error] Download error: try 1",
                                       "[Error] Download error: try 2", ABORTED],
                              file="complete sections"))
        else:
            cases.append(Case(kind, places[2][0], ["%s@%d" % (kind, chunk)],
                              notices=["[Error] Download error: try 1", COMPLETE]))
    for code, text in STATUS_TEXTS.items():
        cases.append(Case("status %d" % code, "first command", ["status:%d@%d" % (code, first)],
                          exit_code=1, file="untouched",
                          notices=["[Runtime Error] Error %d reported from tester when retrieving "
                                   "result count:\n\n%s" % (code, text)]))
        cases.append(Case("status %d" % code, "tester identity",
                          ["status:%d@%d" % (code, identity)], exit_code=1, file="untouched",
                          notices=["[Runtime Error] Error %d reported from tester when retrieving "
                                   "serial number:\n\n%s" % (code, text)]))
        cases.append(Case("status %d" % code, "mid multi-chunk result",
                          ["status:%d@%d" % (code, chunk)],
                          notices=["[Error] Download error: try 1", COMPLETE]))
    cases.append(Case("silence", "first command", ["silence@%d" % first], exit_code=1,
                      notices=[NO_RESPONSE], file="untouched"))
    cases.append(Case("silence", "tester identity", ["silence@%d" % identity], exit_code=1,
                      notices=[NO_RESPONSE], file="untouched"))
    cases.append(Case("silence", "mid multi-chunk result", ["silence@%d" % chunk], exit_code=1,
                      notices=["[Error] Download error: try 1", "[Error] Download error: try 2",
                               ABORTED], file="complete sections"))
    for value, segment in ((1, "criteria"), (2, "data"), (3, "both")):
        cases.append(Case("wrong stored CRC (%s)" % segment, "every result",
                          ["bad-stored-crc:%d@0x2822" % value], warnings=100 * (2 if value == 3 else 1)))
    cases.append(Case("line closed", "first command", ["close@%d" % first], exit_code=1,
                      notices=["[Runtime Error] "], file="untouched"))
    cases.append(Case("line closed", "mid multi-chunk result", ["close@%d" % chunk], exit_code=1,
                      notices=["[Error] Download error: try 1", "[Error] Download error: try 2",
                               ABORTED], file="complete sections"))
    cases.append(Case("unknown test type 0x21", "result 3", scenario="unknown",
                      notices=["[Download] Download complete\n1 result was skipped because its "
                               "test type is not known."], warnings=1, file="clean"))
    for name in MALFORMED:
        cases.append(Case("malformed: " + name, "result 3", scenario="malformed-" + name,
                          exit_code=1, file="complete sections",
                          notices=["[Error] Download error: try 1",
                                   "[Error] Download error: try 2", ABORTED]))
    return cases


# Results the decoders must refuse: (what, raw fields). Criteria name a defib pulse.
MALFORMED = {
    "criteria header cut short": {"criteria": "0601100780", "data": ""},
    "criteria tag unknown": {"criteria": "060110" + "0901ff", "data": ""},
    "data tag rejected": {"criteria": "060110", "data": "300100"},
    "string past the segment": {"criteria": "060110", "data": "11054142"},
    "float past the segment": {"criteria": "060110", "data": "160400"},
    "sample group past N": {"criteria": "060110",
                            "data": "1910" + "01000a01004a" + "05" * 10},
    "sample count 9": {"criteria": "060110", "data": "1903000009"},
    "sample block past the segment": {"criteria": "060110", "data": "19400000"},
    "segment sizes out of range": {"criteria": "060110", "data": "", "criteriaSize": 65000},
}


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
    seen = notices(stderr)
    if len(seen) != len(case.notices) or any(
            not s.startswith(e) for s, e in zip(seen, case.notices)):
        problems.append("notices differ")
    if case.warnings and len(warnings(stderr)) < case.warnings:
        problems.append("%d warnings" % len(warnings(stderr)))
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
        if rc != 0 or notices(stderr) != [COMPLETE]:
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

#!/usr/bin/env python3
"""Runs the benchmarks of a release build and prints one table of their figures.

    summary.py BUILD_DIR [--markdown FILE]
"""

import json
import re
import subprocess
import sys


def google_benchmark(program):
    out = subprocess.run([program, "--benchmark_format=json", "--benchmark_min_time=0.5",
                          "--benchmark_repetitions=3", "--benchmark_report_aggregates_only=true"],
                         capture_output=True, text=True, check=True).stdout
    return {b["name"]: b for b in json.loads(out)["benchmarks"]}


def values_of(text):
    """The "measure   value" lines of a program's output."""
    return dict((m.group(1).strip(), m.group(2)) for m in
                re.finditer(r"^(.+?)\s{2,}(\S+(?: \w+)?)$", text, re.M))


def median(results, name):
    return results[name + "_median"]


def main():
    build = sys.argv[1]
    markdown = sys.argv[3] if len(sys.argv) > 3 and sys.argv[2] == "--markdown" else None
    rows = []

    decode = google_benchmark(build + "/bench/results/bench_results")
    for arg, what in (("0", "clean pulse, smallest block"), ("1", "noisy pulse, mode 1 block")):
        b = median(decode, "BM_DecodeAndAnalysePulse/" + arg)
        rows.append(("decode and analyse 31250 samples, %s (%d bytes)" % (what, b["block bytes"]),
                     "%.0f us" % b["real_time"],
                     "%.0fx faster than its %.1f ms on the wire" % (b["wire/decode"], b["wire ms"])))

    csv = google_benchmark(build + "/bench/csv/bench_csv")
    b = median(csv, "BM_DefibPulseSectionWithGraph")
    rows.append(("CSV section with 31250 graph lines", "%.1f ms" % b["real_time"],
                 "%.1f million lines/s" % (b["lines/s"] / 1e6)))

    text = subprocess.run([build + "/bench/download/bench_download"], capture_output=True,
                          text=True, check=True).stdout
    value = values_of(text)
    head = text.splitlines()[0]
    rows.append(("paced download of the reference scenario (no graph points)",
                 value["paced download at 921600 baud"],
                 "%s of the ideal wire time %s" % (value["paced / ideal"],
                                                   value["ideal wire time (10 bits a byte)"])))
    rows.append(("paced download with graph points", value["paced download with graph points"],
                 "%s of the ideal" % value["paced with graph points / ideal"]))
    # Through a USB adapter: what its latency timer adds to each command, over the run without one.
    ideal = float(value["ideal wire time (10 bits a byte)"].split()[0])
    commands = int(value["commands of the download"])
    unheld = float(value["paced with graph points / ideal"].rstrip("x"))
    for ms in (1, 2, 4, 8, 16):
        ratio = value["adapter latency %d ms, graph points / ideal" % ms]
        extra = (float(ratio.rstrip("x")) - unheld) * ideal / commands * 1000
        rows.append(("the same through a USB adapter, latency timer %d ms" % ms,
                     "%s of the ideal" % ratio,
                     "+%.1f ms for each of the %d commands" % (extra, commands)))
    rows.append(("dexal-report over the graph-points file (HTML with every pulse plotted)",
                 value["dexal-report over the graph-points file"],
                 "%s of the ideal wire time (goal: at most 0.1x)" % value["report / ideal"]))
    rows.append(("Python's csv module merely reading that file (best of 3)",
                 value["python csv module reading that file"],
                 "dexal-report %s as fast (goal: at least 2x)" % value["python csv reading / report"]))
    zeros = values_of(subprocess.run([build + "/bench/report/bench_report_input"],
                                     capture_output=True, text=True, check=True).stdout)
    rows.append(("dexal-report refusing 1 GiB of zero bytes at line 1 (best of 3)",
                 zeros["time to refuse 1 GiB of zero bytes"],
                 "peak memory %s (goals: 2 s, 100 MB)"
                 % zeros["peak memory refusing 1 GiB of zero bytes"]))
    archive = values_of(subprocess.run([build + "/bench/report/bench_report_archive"],
                                       capture_output=True, text=True, check=True).stdout)
    rows.append(("dexal-report over 200 emulated downloads with overlaps (20,000 results), HTML "
                 "and table", archive["dexal-report over the archive"],
                 "%s of the reader alone (%s; goal: at most 1.5x), peak memory %s (goal: under "
                 "200 MB)" % (archive["archive report / reader alone"],
                              archive["reader alone over the archive"],
                              archive["peak memory of the archive report"])))
    rows.append(("the same over five such archives (100,000 results; 80,100 kept)",
                 archive["dexal-report over five such archives"],
                 "peak memory %s (results beyond 32 MB put aside in a temporary file)"
                 % archive["peak memory of the five archives' report"]))
    rows.append(("unpaced download, graph points", value["unpaced results per second (graph points)"]
                 + " results/s", ""))
    rows.append(("peak memory of dexal-download, reference scenario with graph points",
                 value["peak memory of dexal-download (graph points)"], ""))

    width = [max(len(r[i]) for r in rows) for i in range(3)]
    lines = ["%-*s  %*s  %s" % (width[0], r[0], width[1], r[1], r[2]) for r in rows]
    print(head)
    print("\n".join(lines))
    if markdown:
        with open(markdown, "w") as f:
            f.write("| Measure | Value | Ratio |\n|---|---|---|\n")
            for r in rows:
                f.write("| %s | %s | %s |\n" % r)
    return 0


if __name__ == "__main__":
    sys.exit(main())

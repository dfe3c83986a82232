#!/usr/bin/env python3
"""The demo download with graph points made into a report and the assets' records, checked in
headless Chromium (screenshot, PDF print, DOM; the records' sign-off blocks and digest), its plots
against the CSV's extremes and, with the plots of the report's golden file and the archive's trend
plots, as the browser lays them out (plot_checks.py); its flat table with the csv module; the
report's refusals of bad input, and the usage errors of both programs.

    report_e2e.py --download PROG --report PROG --work DIR
"""

import argparse
import csv
import io
import os
import re
import shutil
import subprocess
import sys
from html import unescape

HERE = os.path.dirname(os.path.abspath(__file__))
DATA = os.path.join(HERE, "..", "testdata", "report")
sys.path.insert(0, os.path.join(HERE, "..", "support"))
from dexal_csv import sections as dexal_sections  # noqa: E402
from plot_checks import check_plots  # noqa: E402

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL: " + what)


def run(args, **kw):
    return subprocess.run(args, capture_output=True, timeout=300, **kw)


# What Chromium prints about the page (its console, a resource it refused or could not load);
# the rest of its stderr is about the machine (no display, bus or GPU) or its own processes
# (an IPC message rejected now and then under load), and says nothing about the page.
PAGE_LINE = re.compile(r"CONSOLE|Uncaught|Refused|file://|net::ERR")
MACHINE_NOISE = re.compile(r"dbus|D-Bus|drmGetDevices|ScreenSaver|unexpected operator|"
                           r"gpu|GPU|Fontconfig|bytes written to file|written to file|"
                           r"Trying to load the allocator|sandbox|^\s*$", re.I)


def chromium(work, *args):
    result = run(["chromium", "--headless", "--no-sandbox", "--disable-gpu",
                  "--user-data-dir=" + os.path.join(work, "chromium-profile")] + list(args),
                 env=dict(os.environ, HOME=work))
    errors = [line for line in result.stderr.decode("utf-8", "replace").splitlines()
              if PAGE_LINE.search(line) and not MACHINE_NOISE.search(line)]
    check(result.returncode == 0 and not errors,
          "chromium %s: status %d, %s" % (args[0], result.returncode, errors))
    return result.stdout.decode("utf-8", "replace")


def csv_sections(data):
    """Each section as (header cells, value cells, graph rows as floats)."""
    out = []
    for text in dexal_sections(data)[1]:
        rows = list(csv.reader(io.StringIO(text, newline="")))
        rows = [r for r in rows if r]
        graph = [[float(c) for c in r] for r in rows[3:]] if len(rows) > 2 else []
        out.append((rows[0], rows[1], graph))
    return out


def check_pages(pdf, count, serial):
    """No card split across pages; each page says whose it is and which of how many."""
    pages = int(re.search(r"Pages:\s+(\d+)", run(["pdfinfo", pdf]).stdout.decode()).group(1))
    pages = [run(["pdftotext", "-layout", "-f", str(n), "-l", str(n), pdf, "-"]).stdout.decode()
             for n in range(1, pages + 1)]
    for n, page in enumerate(pages, 1):
        check("page %d of %d" % (n, len(pages)) in page and "Tester %s, report made" % serial in page,
              "page %d of %d without its number or tester: %r" % (n, len(pages), page[-300:]))
    for n in range(1, count + 1):
        head = [i for i, p in enumerate(pages) if re.search(r"result %d\b" % n, p)]
        tail = [i for i, p in enumerate(pages) if re.search(r"Result %d of %d\b" % (n, count), p)]
        check(len(tail) == 1 and tail[0] in head,
              "card %d split across PDF pages (begins on %s, ends on %s)" % (n, head, tail))
    return len(pages)


def shown_measurements(dom):
    """Each card's (name, value, unit) in the order of the results, as the page shows them."""
    cards = sorted((int(n), body) for n, body in
                   re.findall(r'<article class="card" id="result-(\d+)">(.*?)</article>', dom, re.S))
    cell = re.compile(r'<th>([^<]+)</th><td>(.*?)(?:&nbsp;<span class="unit">(.*?)</span>)?</td>')
    return [tuple(unescape(re.sub(r"<br>\n?", "\n", c)) for c in found)
            for _, body in cards for found in cell.findall(body)]


def drawn_voltages(svg):
    """The voltages the plot draws, read back through its own tick labels."""
    ticks = [(float(y), float(v)) for y, v in
             re.findall(r'<text x="[\d.]+" y="([\d.]+)"[^>]*class="vtick"[^>]*>([-\d.]+)<', svg)]
    (y0, v0), (y1, v1) = ticks[0], ticks[-1]
    # Labels stand 4 px below their tick.
    y0, y1 = y0 - 4, y1 - 4
    points = re.search(r'class="voltage"[^>]*points="([^"]*)"', svg).group(1).split()
    ys = [float(p.split(",")[1]) for p in points]
    to_volts = lambda y: v0 + (y - y0) * (v1 - v0) / (y1 - y0)
    return to_volts(max(ys)), to_volts(min(ys)), abs((v1 - v0) / (y1 - y0))


def sign_offs_and_digest(dom):
    """The count of sign-off blocks with their three empty fields, and the digests shown."""
    return (len(re.findall(r'<section class="signoff">\s*<h3>[^<]*</h3>\s*<div class="fields">\s*'
                           r'<label>Tested by<input type="text" name="tested-by"></label>\s*'
                           r'<label>Date<input type="text" name="date"></label>\s*<label '
                           r'class="signature">Signature<span class="box"></span>', dom)),
            re.findall(r'<td class="sha256">([0-9a-f]*)</td>', dom))


def check_records(chromium, work, dom, records, sections, sha256sum):
    """The full page ends each asset's section with a sign-off block; --per-asset wrote one record
    per asset, each with the asset's cards alone, one sign-off block, and the source's digest as
    sha256sum gives it; all in the browser's DOM."""
    assets = set(tuple(values[:4]) for _, values, _ in sections)
    files, cards = sorted(os.listdir(records)), 0
    check(sign_offs_and_digest(dom) == (len(assets), [sha256sum]) and len(files) == len(assets),
          "report: sign-offs, digest %s, %d records for %d assets" %
          (sign_offs_and_digest(dom), len(files), len(assets)))
    for name in files:
        record = chromium(work, "--dump-dom", "file://" + os.path.join(records, name))
        ids = set(re.findall(r'<p class="cardend">Result \d+ of \d+, ([^<]*)</p>', record))
        cards += len(re.findall(r'<article class="card"', record))
        check(len(ids) == 1 and sign_offs_and_digest(record) == (1, [sha256sum]),
              "record %s: assets %s, %s" % (name, ids, sign_offs_and_digest(record)))
    check(cards == len(sections), "the records hold %d cards of %d" % (cards, len(sections)))
    chromium(work, "--window-size=1000,1400", "--screenshot=" + os.path.join(work, "record.png"),
             "file://" + os.path.join(records, files[0]))


def check_refusals(report, demo_bytes, work):
    """Bad input: status 1, the file and line named, and no output left behind."""
    bad = os.path.join(work, "bad")
    os.makedirs(bad, exist_ok=True)
    cut = demo_bytes[:demo_bytes.index(b"\r\n\r\n", 5000)]
    for name, data, line in (("empty.csv", b"", 1), ("other.csv", b"a,b\r\n1,2\r\n", 1),
                             ("cut.csv", cut, cut.count(b"\n") + 1),
                             ("quote.csv", demo_bytes[:demo_bytes.index(b'"Philips"') + 4], 4)):
        path = os.path.join(bad, name)
        open(path, "wb").write(data)
        r = run([report, path, "--html", path + ".html", "--table", path + ".t", "--plots",
                 path + ".p"])
        check(r.returncode == 1 and r.stderr.decode().startswith(
            "dexal-report: %s:%d: " % (path, line)), "%s: %d, %r" % (name, r.returncode, r.stderr))
        check(run([report, path]).returncode == 1, "%s without options" % name)
    # One bad file among good ones; a folder without CSV files.
    cut_csv, archive, none = os.path.join(bad, "cut.csv"), os.path.join(DATA, "archive"), os.path.join(work, "none")
    os.makedirs(none)
    for args, said in (([archive, cut_csv, "--table", cut_csv + ".t"], "%s:%d: " % (cut_csv, cut.count(b"\n") + 1)),
                       ([none], "%s: no CSV file in this folder or below\n" % none)):
        r = run([report] + args)
        check(r.returncode == 1 and r.stderr.decode().startswith("dexal-report: " + said),
              "%s: %d, %r" % (args, r.returncode, r.stderr))
    check(not [f for f in os.listdir(bad) if not f.endswith(".csv")] and not os.listdir(none) and
          not os.path.exists(none + ".html"), "bad input left files")


def check_archive(report, work):
    """The archive of three downloads, its folder named twice and one of its files again: the
    same table as its golden file (each result once), the warnings of archive.warnings on stderr,
    status 0; the table's keys, one Source each but for the conflicting result's. Its history in
    the browser (screenshot, PDF: no card split, each page numbered): the trend plots drawn, the
    limit lines labelled, the drift note shown. Returns the trend plots, for the layout check."""
    archive, table = os.path.join(DATA, "archive"), os.path.join(work, "archive.table.csv")
    html = os.path.join(work, "archive.html")
    r = run([report, archive, os.path.join(archive, "2024-03.csv"), archive + "/", "--table", table,
             "--html", html])
    chromium(work, "--window-size=1000,4000", "--screenshot=" + html + ".png", "file://" + html)
    chromium(work, "--no-pdf-header-footer", "--print-to-pdf=" + html + ".pdf", "file://" + html)
    check_pages(html + ".pdf", 11, "DX2-1")
    dom = chromium(work, "--dump-dom", "file://" + html)
    trends = re.findall(r'<svg[^>]*class="trend".*?</svg>', dom, re.S)
    check(len(trends) == 9 and all("<polyline" in t for t in trends) and
          len(re.findall(r'class="limit">limit (15 s|60 ms), IEC 60601-2-4<', dom)) == 2 and
          "Drift: Charge time 16.4 s" in dom and dom.count('<td class="sha256">') == 3,
          "archive history: %d trends, or not three files in its traceability" % len(trends))
    warnings = open(os.path.join(DATA, "archive.warnings")).read().replace("archive/", archive + "/")
    check(r.returncode == 0 and r.stderr.decode() == "".join(
        "warning: " + line + "\n" for line in warnings.splitlines()), "archive: %d %r" % (r.returncode, r.stderr))
    check(open(table, "rb").read() == open(os.path.join(DATA, "archive.table.csv"), "rb").read(),
          "archive: not the golden table")
    sources = {}
    for row in list(csv.reader(open(table, encoding="utf-8", newline="")))[1:]:
        sources.setdefault(row[0], set()).add(row[13])
    check(sorted(len(s) for s in sources.values()) == [1] * 9 + [2], "archive keys: %r" % sources)
    return trends


def check_spreadsheet_tables(report, work):
    """hazards.csv, whose texts begin like formulas, as the excel table read back: no text cell
    begins a formula, each is the plain table's (written to stdout) with or without an
    apostrophe, -606 a number."""
    tables = [os.path.join(work, "hazards-%s.csv" % name) for name in ("plain", "excel")]
    for table, dialect in zip(tables, ([], ["--dialect", "excel"])):
        # The plain one to a stream, which is written as it is made, not put in place.
        out = run([report, os.path.join(DATA, "hazards.csv"), "--table",
                   table if dialect else "/dev/stdout"] + dialect).stdout
        if not dialect:
            open(table, "wb").write(out)
    plain, excel = [list(csv.reader(open(t, encoding="utf-8-sig", newline=""))) for t in tables]
    check(len(excel) == len(plain) > 1 and "-606" in [row[11] for row in excel], "excel: %r" % excel)
    for row, plain_row in zip(excel[1:], plain[1:]):
        for column, (cell, text) in enumerate(zip(row, plain_row)):
            number = column == 11 and re.fullmatch(r"-?\d+(\.\d+)?", cell)
            check(number or not cell or cell[0] not in "=+-@\t\r", "evaluated: %r" % cell)
            check(cell in (text, "'" + text), "%r for %r" % (cell, text))


def check_usage(programs, work):
    """Usage errors as tests/testdata/cli/usage.txt gives them: status 2, the reason first on
    stderr, no file made."""
    folder = os.path.join(work, "usage")
    os.makedirs(folder)
    for line in open(os.path.join(HERE, "..", "testdata", "cli", "usage.txt")):
        if line.strip() and not line.startswith("#"):
            program, args, reason = [cell.strip() for cell in line.split("|")]
            r = run([programs[program]] + args.split(), cwd=folder)
            said = r.stderr.decode().partition("\n")[0]
            check(r.returncode == 2 and said == reason and not os.listdir(folder),
                  "%s %s: status %d, %r" % (program, args, r.returncode, said))


def main():
    ap = argparse.ArgumentParser()
    for name in ("download", "report", "work"):
        ap.add_argument("--" + name, required=True)
    a = ap.parse_args()
    work = os.path.abspath(a.work)
    # A fresh folder: plots or a browser profile left by an earlier run must not count.
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    env = dict(os.environ, SOURCE_DATE_EPOCH="1772700000", TZ="UTC")
    demo, html = os.path.join(work, "demo.csv"), os.path.join(work, "demo.html")
    for f in (demo, html):
        if os.path.exists(f):
            os.remove(f)
    r = run([a.download, "--simulate", "--graph-points", "--output", demo, "--report", html], env=env)
    said = "12 results written to %s, the report to %s\n" % (demo, html)
    check(r.returncode == 0 and r.stdout.decode() == said,
          "download with --report: %d %r %s" % (r.returncode, r.stdout, r.stderr))
    plots, table = os.path.join(work, "plots"), os.path.join(work, "table.csv")
    records = os.path.join(work, "records")
    r = run([a.report, demo, "--plots", plots, "--table", table, "--per-asset", records], env=env)
    check(r.returncode == 0, "dexal-report: %d %s" % (r.returncode, r.stderr))

    data = open(demo, "rb").read()
    sections = csv_sections(data)
    pulses = [i for i, s in enumerate(sections) if s[2]]
    page = open(html, encoding="utf-8").read()
    check(not re.search(r"src=|href=|url\(|<script", page, re.I),
          "the page refers to something outside itself")

    chromium(work, "--window-size=1000,1400", "--screenshot=" + os.path.join(work, "report.png"),
             "file://" + html)
    pdf = os.path.join(work, "report.pdf")
    chromium(work, "--no-pdf-header-footer", "--print-to-pdf=" + pdf, "file://" + html)
    dom = chromium(work, "--dump-dom", "file://" + html)
    cards = len(re.findall(r'<article class="card"', dom))
    svgs = len(re.findall(r'<svg[^>]*class="plot"', dom))
    check(cards == len(sections), "%d cards for %d results" % (cards, len(sections)))
    check(svgs == len(pulses), "%d plots for %d results with graph points" % (svgs, len(pulses)))
    serial = data.split(b"\r\n")[1].split(b",")[0].decode()
    page_count = check_pages(pdf, len(sections), serial)
    check_records(chromium, work, dom, records, sections,
                  run(["sha256sum", demo]).stdout.decode().split()[0])

    files = sorted(os.listdir(plots))
    check(len(files) == len(pulses), "%d plot files for %d pulses" % (len(files), len(pulses)))
    for name in files:
        header, values, graph = sections[int(name.split("-")[0]) - 1]
        svg = open(os.path.join(plots, name), encoding="utf-8").read()
        low, high, per_pixel = drawn_voltages(svg)
        volts = [g[2] for g in graph]
        # Pixel coordinates are written to a tenth of a pixel.
        check(abs(low - min(volts)) <= per_pixel * 0.1 and abs(high - max(volts)) <= per_pixel * 0.1,
              "%s draws %g to %g, the CSV holds %g to %g" % (name, low, high, min(volts), max(volts)))
        if len(graph) == 31250:
            check(len(svg.encode()) < 50000, "%s is %d bytes" % (name, len(svg.encode())))

    # The plots as the browser lays them out: the demo's, and those of the report's golden file,
    # whose sections the demo download does not give.
    small = os.path.join(work, "small.csv")
    shutil.copyfile(os.path.join(HERE, "..", "testdata", "report", "small.csv"), small)
    small_plots = os.path.join(work, "small-plots")
    r = run([a.report, small, "--plots", small_plots], env=env)
    check(r.returncode == 0, "dexal-report small.csv: %d %s" % (r.returncode, r.stderr))
    small_sections = csv_sections(open(small, "rb").read())
    trends = check_archive(a.report, work)
    check_plots(chromium, work, [(folder + "/" + name,
                                  open(os.path.join(path, name), encoding="utf-8").read(),
                                  of[int(name.split("-")[0]) - 1][2])
                                 for folder, path, of in (("demo", plots, sections),
                                                          ("small", small_plots, small_sections))
                                 for name in sorted(os.listdir(path))] +
                [("archive/trend-%d" % n, svg, None) for n, svg in enumerate(trends, 1)], check)

    # The table says what the page shows, name, value and unit, each cell of the CSV under the
    # result it belongs to: as it stands, or split into its number and unit ("60.0 bpm").
    rows = list(csv.reader(open(table, encoding="utf-8", newline="")))
    check(all(len(row) == 14 and row[13] == "demo.csv" for row in rows[1:]),
          "table rows of differing widths or sources")
    shown = shown_measurements(dom)
    check([tuple(row[10:13]) for row in rows[1:]] == shown and any(m[2] for m in shown),
          "the table's measurements are not the page's: %r" % (set(shown) ^ set(
              tuple(row[10:13]) for row in rows[1:])))
    cells = [[serial] + values[:8] + [cell] for header, values, graph in sections
             for cell in values[8:]]
    check(len(cells) == len(rows) - 1 and all(
        row[1:10] == cell[:9] and row[0] == " | ".join(cell[i] for i in (0, 1, 5, 6))
        and (cell[9] in (row[11], row[11] + " " + row[12]) or
             (cell[9], row[11]) == ("0", "not used"))
        for row, cell in zip(rows[1:], cells)), "the table's results and values are not the CSV's")
    check_refusals(a.report, data, work)
    check_spreadsheet_tables(a.report, work)
    check_usage({"dexal-download": a.download, "dexal-report": a.report}, work)
    made = open(html, "rb").read()
    os.remove(html)
    r = run([a.report, demo], env=env)
    check(r.returncode == 0 and open(html, "rb").read() == made,
          "without options: status %d, not the same page as --report beside the CSV" % r.returncode)
    print("report_e2e: %d results, %d plots, %d PDF pages, %d table rows" %
          (len(sections), len(pulses), page_count, len(rows) - 1))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

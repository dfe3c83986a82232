#!/usr/bin/env python3
"""Reads downloaded CSV files with Python's csv module and checks their shape.

Every line ends in CR LF; a file is the two tester lines, then sections of a header line, a value
line with as many cells, optional graph lines of three cells, and an empty line.
Usage: check_csv.py FOLDER   (every .csv file in it)
"""
import csv
import io
import os
import pathlib
import re
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from dexal_csv import TESTER_HEADER  # noqa: E402


def check(data):
    if not data:
        return []  # no file: the download never got as far as the tester header
    rows = list(csv.reader(io.StringIO(data.decode("latin-1"), newline="")))
    errors = [] if data.endswith(b"\r\n") else ["does not end with CR LF"]
    if rows[:1] != [TESTER_HEADER] or len(rows[1]) != 2:
        return errors + ["no tester header"]
    # Outside quoted cells every LF follows a CR.
    if re.search(rb"(?<!\r)\n", re.sub(rb'"[^"]*"', b"", data)):
        errors.append("bare LF")
    if len(rows) > 2 and rows[-1]:
        errors.append("no empty line after the last section")
    section = []
    for number, row in enumerate(rows[2:], 3):
        if row:
            section.append(row)
            continue
        header, values, graph = section[0], section[1:2], section[2:]
        bad = header[:1] != ["Asset ID"] or [len(v) for v in values] != [len(header)]
        if bad or graph and (graph[0][:1] != ["Time (ms)"] or any(len(g) != 3 for g in graph)):
            errors.append("section ending at row %d" % number)
        section = []
    return errors


def main(folder):
    paths = sorted(pathlib.Path(folder).glob("*.csv"))
    errors = ["%s: %s" % (path, e) for path in paths for e in check(path.read_bytes())]
    print("\n".join(errors + ["%d files checked" % len(paths)]))
    return 1 if errors or not paths else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))

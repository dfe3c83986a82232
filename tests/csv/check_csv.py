#!/usr/bin/env python3
"""Reads downloaded CSV files with Python's csv module and checks their shape.

Every line ends in CR LF; a file is the two tester lines, then sections of a header line, a value
line with as many cells, optional graph lines of three cells, and an empty line.
Usage: check_csv.py FILE_OR_FOLDER...   (a folder: every .csv file in it)
"""
import csv
import io
import pathlib
import sys


def check(data):
    if not data:
        return []  # no file: the download never got as far as the tester header
    if not data.endswith(b"\r\n"):
        return ["does not end with CR LF"]
    rows = list(csv.reader(io.StringIO(data.decode("latin-1"), newline="")))
    if len(rows) < 2 or rows[0] != ["Serial", "Service Date"] or len(rows[1]) != 2:
        return ["no tester header"]
    errors, index = [], 2
    while index < len(rows):
        header, values = rows[index], rows[index + 1] if index + 1 < len(rows) else []
        if header[:1] != ["Asset ID"] or len(values) != len(header):
            errors.append("row %d: %d header cells, %d value cells" % (index, len(header), len(values)))
        index += 2
        if index < len(rows) and rows[index][:1] == ["Time (ms)"]:
            index += 1
            while index < len(rows) and rows[index]:
                if len(rows[index]) != 3:
                    errors.append("graph row %d has %d cells" % (index, len(rows[index])))
                index += 1
        if index >= len(rows) or rows[index]:
            return errors + ["section ending before row %d has no empty line" % index]
        index += 1
    # Outside quoted cells every LF follows a CR.
    inside = False
    for i, byte in enumerate(data):
        if byte == 0x22:
            inside = not inside
        elif byte == 0x0A and not inside and data[i - 1] != 0x0D:
            errors.append("bare LF at byte %d" % i)
    return errors


def main(arguments):
    paths = []
    for argument in map(pathlib.Path, arguments):
        paths += sorted(argument.glob("*.csv")) if argument.is_dir() else [argument]
    failed = not paths
    for path in paths:
        for error in check(path.read_bytes()):
            print("%s: %s" % (path, error))
            failed = True
    print("%d files checked" % len(paths))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

#!/usr/bin/env python3
"""Reads result CSV files with Python's csv module and checks their shape.

Every line must end in CR LF; the file is the two tester lines, then sections of a header line,
a value line with as many cells, optional graph lines of three cells, and an empty line.
"""
import csv
import io
import sys


def check(path):
    errors = []
    with open(path, "rb") as f:
        data = f.read()
    if not data.endswith(b"\r\n\r\n"):
        errors.append("does not end with CR LF CR LF")
    # Outside quoted cells every LF must follow a CR; the csv module sees the cells.
    rows = list(csv.reader(io.StringIO(data.decode("latin-1"), newline="")))
    stripped = data.replace(b'""', b"")
    inside = False
    for i, byte in enumerate(stripped):
        if byte == 0x22:
            inside = not inside
        elif byte == 0x0A and not inside and (i == 0 or stripped[i - 1] != 0x0D):
            errors.append("bare LF at byte %d" % i)
            break
    if len(rows) < 2 or rows[0] != ["Serial", "Service Date"] or len(rows[1]) != 2:
        errors.append("no tester header")
        return errors
    index = 2
    sections = 0
    while index < len(rows):
        if index + 1 >= len(rows):
            errors.append("section at row %d has no value line" % index)
            break
        header, values = rows[index], rows[index + 1]
        if len(header) != len(values):
            errors.append("row %d: %d header cells, %d value cells" % (index, len(header), len(values)))
        index += 2
        if index < len(rows) and rows[index][:1] == ["Time (ms)"]:
            index += 1
            while index < len(rows) and rows[index]:
                if len(rows[index]) != 3:
                    errors.append("graph row %d has %d cells" % (index, len(rows[index])))
                index += 1
        if index >= len(rows) or rows[index]:
            errors.append("section ending before row %d has no empty line" % index)
            break
        index += 1
        sections += 1
    if sections == 0:
        errors.append("no result section")
    return errors


def main(paths):
    failed = False
    for path in paths:
        for error in check(path):
            print("%s: %s" % (path, error))
            failed = True
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

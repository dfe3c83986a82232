"""Helpers the Python checks share: a downloaded CSV file split into its parts."""

import re

# The first line of every downloaded file, as cells.
TESTER_HEADER = ["Serial", "Service Date"]


def sections(data):
    """The tester header and the result sections of a CSV file's bytes, as text."""
    text = data.decode("utf-8", "replace")
    header_end = text.find("\r\nAsset ID,")
    if header_end < 0:
        return text, []
    header = text[:header_end + 2]
    body = text[header_end + 2:]
    return header, [part + "\r\n\r\n" for part in body.split("\r\n\r\n") if part]


def whole_sections(data, clean):
    """How many whole sections DATA holds when it is CLEAN's tester header and first sections,
    byte for byte; None when it is anything else."""
    header, found = sections(data)
    clean_header, clean_sections = sections(clean)
    if data != (clean_header + "".join(clean_sections[:len(found)])).encode():
        return None
    return len(found)


def noted_results(note):
    """The number of results a download's "note: " line says its part file holds: "note: 21 of
    100 results are in x.csv.part; ..." gives 21, "note: no result was written; ..." 0; None for
    another line."""
    m = re.match(r"note: (?:interrupted: )?(?:(\d+) of \d+ results? (?:is|are) in |(no result))",
                 note)
    return None if not m else int(m.group(1)) if m.group(1) else 0

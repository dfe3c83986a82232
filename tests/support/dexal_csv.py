"""Helpers the Python checks share: a downloaded CSV file split into its parts."""

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

#!/usr/bin/env python3
"""Draws the program's icon (a white pulse trace on a red disc) and writes
DexalCSVDownloader.ico with 16, 32 and 48 pixel bitmaps and a 256 pixel PNG.
Run it again after changing the drawing; the .ico beside it is checked in."""
import os
import struct
import zlib

# The trace as points in a unit square: flat, a spike, a dip, flat.
TRACE = [(0.14, 0.55), (0.36, 0.55), (0.45, 0.25), (0.55, 0.78), (0.63, 0.48), (0.86, 0.48)]


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return ((px - ax - t * dx) ** 2 + (py - ay - t * dy) ** 2) ** 0.5


def colour_at(x, y):
    """RGBA of the point (x, y) of the unit square."""
    if (x - 0.5) ** 2 + (y - 0.5) ** 2 > 0.47 ** 2:
        return (0, 0, 0, 0)
    d = min(segment_distance(x, y, *TRACE[i], *TRACE[i + 1]) for i in range(len(TRACE) - 1))
    if d < 0.055:
        return (255, 255, 255, 255)
    return (200, 30, 45, 255)


def image(size):
    """size x size RGBA rows, top row first, 4 x 4 samples a pixel."""
    rows = []
    for row in range(size):
        pixels = []
        for col in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(4):
                for sx in range(4):
                    c = colour_at((col + (sx + 0.5) / 4) / size, (row + (sy + 0.5) / 4) / size)
                    for k in range(3):
                        acc[k] += c[k] * c[3]
                    acc[3] += c[3]
            alpha = acc[3] / 16
            rgb = [int(a / acc[3]) if acc[3] else 0 for a in acc[:3]]
            pixels.append((rgb[0], rgb[1], rgb[2], int(alpha)))
        rows.append(pixels)
    return rows


def bitmap_entry(size):
    rows = image(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    mask_row = ((size + 31) // 32) * 4
    and_mask = b"\0" * (mask_row * size)  # the alpha channel does the masking
    return header + xor + and_mask


def png_entry(size):
    rows = image(size)
    raw = b"".join(b"\0" + bytes(v for p in row for v in p) for row in rows)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(
            ">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main():
    entries = [(s, bitmap_entry(s)) for s in (16, 32, 48)] + [(256, png_entry(256))]
    out = struct.pack("<HHH", 0, 1, len(entries))
    offset = 6 + 16 * len(entries)
    for size, data in entries:
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(data for _, data in entries)
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "DexalCSVDownloader.ico")
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main()

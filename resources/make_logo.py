#!/usr/bin/env python3
"""Regenerates logo.raw, the 265 x 41 gray lettering the helper filter draws.

The file is one byte per pixel, row-major, top row first, no header: 255 is
the white background (fully transparent on the frame), darker is more opaque.

    make_logo.py [--raw FILE] [--pgm FILE] [--png FILE]

Without options it rewrites logo.raw next to this script. --pgm and --png
write the same picture in a form any image viewer opens.
"""

import argparse
import math
import os
import struct
import sys
import zlib

WIDTH = 265
HEIGHT = 41

CAP_TOP = 6.0        # top of the letters' stroke centres
CAP_HEIGHT = 29.0    # letter height between stroke centres
HALF_STROKE = 2.6    # half the stroke width, in pixels
LETTER_GAP = 11.0    # space between neighbouring letter boxes


def arc(cx, cy, rx, ry, start_deg, end_deg, steps=24):
    """Points of an elliptical arc; angles clockwise from the +x axis (y is down)."""
    points = []
    for k in range(steps + 1):
        a = math.radians(start_deg + (end_deg - start_deg) * k / steps)
        points.append((cx + rx * math.cos(a), cy + ry * math.sin(a)))
    return points


def glyph_d(w, h):
    bowl = [(0, 0), (w * 0.45, 0)] + arc(w * 0.45, h / 2, w * 0.55, h / 2, -90, 90) + [(0, h), (0, 0)]
    return [bowl]


def glyph_r(w, h):
    mid = h * 0.52
    bowl = [(0, h), (0, 0), (w * 0.6, 0)] + arc(w * 0.6, mid / 2, w * 0.4, mid / 2, -90, 90) + [(0, mid)]
    leg = [(w * 0.5, mid), (w, h)]
    return [bowl, leg]


def glyph_a(w, h):
    bar = h * 0.66
    return [[(0, h), (w / 2, 0), (w, h)], [(w / 2 * bar / h, bar), (w - w / 2 * bar / h, bar)]]


def glyph_v(w, h):
    return [[(0, 0), (w / 2, h), (w, 0)]]


def glyph_i(w, h):
    return [[(w / 2, 0), (w / 2, h)], [(0, 0), (w, 0)], [(0, h), (w, h)]]


def glyph_k(w, h):
    return [[(0, 0), (0, h)], [(w, 0), (0, h * 0.62)], [(w * 0.34, h * 0.4), (w, h)]]


# Letter, box width between stroke centres.
LETTERS = [(glyph_d, 25.0), (glyph_r, 24.0), (glyph_a, 28.0), (glyph_v, 28.0), (glyph_i, 12.0), (glyph_k, 24.0)]


def strokes():
    """All stroke segments of the word, centred on the picture."""
    total = sum(width for _, width in LETTERS) + LETTER_GAP * (len(LETTERS) - 1)
    left = (WIDTH - total) / 2
    segments = []
    for glyph, width in LETTERS:
        for line in glyph(width, CAP_HEIGHT):
            points = [(left + x, CAP_TOP + y) for x, y in line]
            segments.extend(zip(points, points[1:]))
        left += width + LETTER_GAP
    return segments


def distance_to_segment(px, py, a, b):
    ax, ay = a
    bx, by = b
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy
    t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / length2))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def render():
    """Gray bytes: dark strokes with a one-pixel soft edge on white."""
    segments = strokes()
    pixels = bytearray(WIDTH * HEIGHT)
    for y in range(HEIGHT):
        for x in range(WIDTH):
            cx, cy = x + 0.5, y + 0.5
            d = min(distance_to_segment(cx, cy, a, b) for a, b in segments)
            coverage = max(0.0, min(1.0, HALF_STROKE + 0.5 - d))
            pixels[y * WIDTH + x] = round(255 * (1.0 - coverage))
    return bytes(pixels)


def write_pgm(path, pixels):
    with open(path, "wb") as f:
        f.write(b"P5\n%d %d\n255\n" % (WIDTH, HEIGHT))
        f.write(pixels)


def write_png(path, pixels):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    rows = b"".join(b"\0" + pixels[y * WIDTH:(y + 1) * WIDTH] for y in range(HEIGHT))
    header = struct.pack(">IIBBBBB", WIDTH, HEIGHT, 8, 0, 0, 0, 0)  # 8-bit gray
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))


def main():
    parser = argparse.ArgumentParser(description="Regenerate the helper filter's logo picture.")
    parser.add_argument("--raw", default=os.path.join(os.path.dirname(os.path.abspath(__file__)), "logo.raw"))
    parser.add_argument("--pgm", help="also write a viewable PGM")
    parser.add_argument("--png", help="also write a viewable PNG")
    args = parser.parse_args()

    pixels = render()
    with open(args.raw, "wb") as f:
        f.write(pixels)
    if args.pgm:
        write_pgm(args.pgm, pixels)
    if args.png:
        write_png(args.png, pixels)
    return 0


if __name__ == "__main__":
    sys.exit(main())

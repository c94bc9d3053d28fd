#!/usr/bin/env python3
"""Draws Tonvale's icon, a cassette with a square wave on its label, as an SVG and as PNGs.

The shapes are listed once below; the SVG is written from them and the PNGs are rasterised
from them here (4 x 4 samples per pixel), so the two never drift apart. Standard library only.
Usage: res/make-icon.py   (writes res/tonvale.svg and res/icons/tonvale-SIZE.png)
"""
import math
import os
import struct
import zlib

VIEW = 64  # the drawing's own units: a 64 x 64 square
SIZES = (16, 32, 48, 64, 128, 256)

BODY, LABEL, WINDOW, REEL, HUB, HEAD, WAVE = (
    "#2f3440", "#efe6cf", "#3c4252", "#d9cfb4", "#2f3440", "#4a5263", "#c8412f")

# (kind, colour, geometry); painted in order.
SHAPES = [
    ("rect", BODY, (3, 11, 58, 42, 6)),         # x, y, width, height, corner radius
    ("rect", LABEL, (8, 15, 48, 25, 3)),
    ("rect", WINDOW, (17, 26, 30, 11, 5.5)),
    ("circle", REEL, (23, 31.5, 4.2)),           # x, y, radius
    ("circle", REEL, (41, 31.5, 4.2)),
    ("circle", HUB, (23, 31.5, 1.7)),
    ("circle", HUB, (41, 31.5, 1.7)),
    ("polygon", HEAD, ((15, 53), (19, 44), (45, 44), (49, 53))),
    ("polyline", WAVE, (1.8, ((12, 23), (16, 23), (16, 18.5), (22, 18.5), (22, 23), (26, 23),
                              (26, 18.5), (29, 18.5), (29, 23), (35, 23), (35, 18.5),
                              (38, 18.5), (38, 23), (44, 23), (44, 18.5), (48, 18.5),
                              (48, 23), (52, 23)))),
]


def inside(kind, geometry, x, y):
    if kind == "rect":
        left, top, width, height, r = geometry
        cx = min(max(x, left + r), left + width - r)
        cy = min(max(y, top + r), top + height - r)
        return left <= x <= left + width and top <= y <= top + height and \
            (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    if kind == "circle":
        cx, cy, r = geometry
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    if kind == "polygon":
        result = False
        points = geometry
        for i, (x1, y1) in enumerate(points):
            x2, y2 = points[i - 1]
            if (y1 > y) != (y2 > y) and x < (x2 - x1) * (y - y1) / (y2 - y1) + x1:
                result = not result
        return result
    width, points = geometry  # polyline: within half the stroke width of a segment
    for (x1, y1), (x2, y2) in zip(points, points[1:]):
        dx, dy = x2 - x1, y2 - y1
        t = max(0.0, min(1.0, ((x - x1) * dx + (y - y1) * dy) / (dx * dx + dy * dy)))
        if math.hypot(x - x1 - t * dx, y - y1 - t * dy) <= width / 2:
            return True
    return False


def rgb(colour):
    return tuple(int(colour[i:i + 2], 16) for i in (1, 3, 5))


def render(size, samples=4):
    rows = []
    for py in range(size):
        row = bytearray()
        for px in range(size):
            totals = [0, 0, 0, 0]
            for sy in range(samples):
                for sx in range(samples):
                    x = (px + (sx + 0.5) / samples) * VIEW / size
                    y = (py + (sy + 0.5) / samples) * VIEW / size
                    colour = None
                    for kind, fill, geometry in SHAPES:
                        if inside(kind, geometry, x, y):
                            colour = fill
                    if colour:
                        r, g, b = rgb(colour)
                        totals = [totals[0] + r, totals[1] + g, totals[2] + b, totals[3] + 1]
            n = totals[3]
            if n:
                row += bytes((totals[0] // n, totals[1] // n, totals[2] // n,
                              255 * n // (samples * samples)))
            else:
                row += bytes(4)
        rows.append(bytes(row))
    return rows


def write_png(path, size, rows):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + \
            struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    raw = b"".join(b"\0" + row for row in rows)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n")
        out.write(chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)))
        out.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        out.write(chunk(b"IEND", b""))


def write_svg(path):
    parts = ['<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" viewBox="0 0 %d %d">'
             % (VIEW, VIEW, VIEW, VIEW)]
    for kind, fill, g in SHAPES:
        if kind == "rect":
            parts.append('  <rect x="%g" y="%g" width="%g" height="%g" rx="%g" fill="%s"/>'
                         % (g[0], g[1], g[2], g[3], g[4], fill))
        elif kind == "circle":
            parts.append('  <circle cx="%g" cy="%g" r="%g" fill="%s"/>' % (g[0], g[1], g[2], fill))
        elif kind == "polygon":
            points = " ".join("%g,%g" % p for p in g)
            parts.append('  <polygon points="%s" fill="%s"/>' % (points, fill))
        else:
            points = " ".join("%g,%g" % p for p in g[1])
            parts.append('  <polyline points="%s" fill="none" stroke="%s" stroke-width="%g" '
                         'stroke-linecap="round" stroke-linejoin="round"/>' % (points, fill, g[0]))
    parts.append("</svg>")
    with open(path, "w") as out:
        out.write("\n".join(parts) + "\n")


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    os.makedirs(os.path.join(here, "icons"), exist_ok=True)
    write_svg(os.path.join(here, "tonvale.svg"))
    for size in SIZES:
        write_png(os.path.join(here, "icons", "tonvale-%d.png" % size), size, render(size))


if __name__ == "__main__":
    main()

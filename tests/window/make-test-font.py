#!/usr/bin/python3
"""Writes the two small fonts of family "TRS-80" that the window tests install.

TRS-80-test.ttf maps the bytes 20h-FFh to the Latin-1 code points, the way most TrueType
fonts of that machine's character set are built; TRS-80-test-symbol.ttf maps them to
U+F020-U+F0FF under a symbol character map, the way the older ones are. Every glyph is a
plain box: the tests look at metrics and character codes, not at shapes.

The metrics are picked so that the cell (ascent + descent) is 1.2 em: drawing the font at a
cell height of 18 pixels needs an em of 15 pixels, which a program that asks for an em of
18 pixels gets wrong.

Needs python3-fonttools (Debian). Usage: tests/window/make-test-font.py [OUTPUT_DIR]
"""
import os
import sys

from fontTools.fontBuilder import FontBuilder
from fontTools.pens.ttGlyphPen import TTGlyphPen

UNITS_PER_EM = 1000
ASCENT = 1000
DESCENT = 200
ADVANCE = 600
FIRST_BYTE, LAST_BYTE = 0x20, 0xFF
FIXED_TIMESTAMP = 3786912000  # 2024-01-01, in seconds since 1904


def box_glyph(filled):
    pen = TTGlyphPen(None)
    if filled:
        pen.moveTo((50, -100))
        pen.lineTo((50, 900))
        pen.lineTo((550, 900))
        pen.lineTo((550, -100))
        pen.closePath()
    return pen.glyph()


def build(path, symbol):
    base = 0xF000 if symbol else 0
    names = [".notdef"] + ["byte%02X" % b for b in range(FIRST_BYTE, LAST_BYTE + 1)]
    cmap = {base + b: "byte%02X" % b for b in range(FIRST_BYTE, LAST_BYTE + 1)}
    glyphs = {name: box_glyph(name not in (".notdef", "byte20")) for name in names}

    fb = FontBuilder(UNITS_PER_EM, isTTF=True)
    fb.updateHead(created=FIXED_TIMESTAMP, modified=FIXED_TIMESTAMP)  # same bytes each run
    fb.setupGlyphOrder(names)
    fb.setupCharacterMap(cmap)
    fb.setupGlyf(glyphs)
    fb.setupHorizontalMetrics({name: (ADVANCE, 50) for name in names})
    fb.setupHorizontalHeader(ascent=ASCENT, descent=-DESCENT, lineGap=0)
    fb.setupNameTable({"familyName": "TRS-80", "styleName": "Regular",
                       "uniqueFontIdentifier": "Tonvale test TRS-80" + (" symbol" if symbol else ""),
                       "fullName": "TRS-80", "psName": "TRS-80-Test",
                       "version": "Version 1.0"})
    fb.setupOS2(sTypoAscender=ASCENT, sTypoDescender=-DESCENT, sTypoLineGap=0,
                usWinAscent=ASCENT, usWinDescent=DESCENT, xAvgCharWidth=ADVANCE,
                fsSelection=0x40 | 0x80,  # regular; use the typo metrics
                ulCodePageRange1=(1 << 31) if symbol else 1,
                usFirstCharIndex=base + FIRST_BYTE, usLastCharIndex=base + LAST_BYTE,
                version=4)
    fb.setupPost(isFixedPitch=1)
    if symbol:
        # A symbol font carries its map as platform 3, encoding 0.
        for table in fb.font["cmap"].tables:
            table.platEncID = 0
        fb.font["cmap"].tables = [t for t in fb.font["cmap"].tables if t.platformID == 3]
    fb.save(path)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "fonts")
    os.makedirs(out, exist_ok=True)
    build(os.path.join(out, "TRS-80-test.ttf"), symbol=False)
    build(os.path.join(out, "TRS-80-test-symbol.ttf"), symbol=True)


if __name__ == "__main__":
    main()

#!/usr/bin/python3
"""Writes the small fonts the window tests use, every glyph a plain box, 0.6 em wide.

fonts/TRS-80-test.ttf maps the bytes 20h-FFh to Latin-1, fonts/TRS-80-test-symbol.ttf to
U+F020-U+F0FF under a symbol character map (the two ways TRS-80 fonts are built); the cell
(ascent + descent) is 1.2 em, so a cell of 18 pixels needs an em of 15. fonts/system/ holds
the only font the tests' font configuration knows: "Tonvale Test Mono".
Needs python3-fonttools (Debian). Usage: tests/window/make-test-font.py
"""
import os

from fontTools.fontBuilder import FontBuilder
from fontTools.pens.ttGlyphPen import TTGlyphPen


def box_glyph(filled):
    pen = TTGlyphPen(None)
    if filled:
        pen.moveTo((50, -100))
        for point in ((50, 900), (550, 900), (550, -100)):
            pen.lineTo(point)
        pen.closePath()
    return pen.glyph()


def build(path, family, symbol=False):
    base = 0xF000 if symbol else 0
    names = [".notdef"] + ["byte%02X" % b for b in range(0x20, 0x100)]
    fb = FontBuilder(1000, isTTF=True)
    fb.updateHead(created=3786912000, modified=3786912000)  # same bytes each run
    fb.setupGlyphOrder(names)
    fb.setupCharacterMap({base + b: "byte%02X" % b for b in range(0x20, 0x100)})
    fb.setupGlyf({name: box_glyph(name not in (".notdef", "byte20")) for name in names})
    fb.setupHorizontalMetrics({name: (600, 50) for name in names})
    fb.setupHorizontalHeader(ascent=1000, descent=-200, lineGap=0)
    fb.setupNameTable({"familyName": family, "styleName": "Regular", "fullName": family,
                       "uniqueFontIdentifier": os.path.basename(path),
                       "psName": family.replace(" ", "-") + ("-Symbol" if symbol else ""),
                       "version": "Version 1.0"})
    fb.setupOS2(sTypoAscender=1000, sTypoDescender=-200, sTypoLineGap=0, usWinAscent=1000,
                usWinDescent=200, xAvgCharWidth=600, fsSelection=0x40 | 0x80,
                ulCodePageRange1=(1 << 31) if symbol else 1,
                usFirstCharIndex=base + 0x20, usLastCharIndex=base + 0xFF, version=4)
    fb.setupPost(isFixedPitch=1)
    if symbol:  # a symbol font carries its map as platform 3, encoding 0
        for table in fb.font["cmap"].tables:
            table.platEncID = 0
        fb.font["cmap"].tables = [t for t in fb.font["cmap"].tables if t.platformID == 3]
    fb.save(path)


out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "fonts")
os.makedirs(os.path.join(out, "system"), exist_ok=True)
build(os.path.join(out, "TRS-80-test.ttf"), "TRS-80")
build(os.path.join(out, "TRS-80-test-symbol.ttf"), "TRS-80", symbol=True)
build(os.path.join(out, "system", "TonvaleTestMono.ttf"), "Tonvale Test Mono")

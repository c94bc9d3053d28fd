#!/usr/bin/python3
# Writes the fonts the window tests use, every glyph a box 0.6 em wide and the cell (ascent +
# descent) 1.2 em, so a cell of 18 pixels needs an em of 15. fonts/TRS-80-test.ttf maps the
# bytes 20h-FFh to Latin-1, fonts/TRS-80-test-symbol.ttf to U+F020-U+F0FF under a symbol map
# (the two ways TRS-80 fonts are built); fonts/system/ holds "Tonvale Test Mono", the only font
# the tests' font configuration knows. Needs python3-fonttools (Debian).
import os

from fontTools.fontBuilder import FontBuilder
from fontTools.pens.ttGlyphPen import TTGlyphPen


def build(path, family, symbol=False):
    base = 0xF000 if symbol else 0
    names = [".notdef"] + ["byte%02X" % b for b in range(0x20, 0x100)]
    glyphs = {}
    for name in names:
        pen = TTGlyphPen(None)
        if name not in (".notdef", "byte20"):
            pen.moveTo((50, -100))
            for point in ((50, 900), (550, 900), (550, -100)):
                pen.lineTo(point)
            pen.closePath()
        glyphs[name] = pen.glyph()
    fb = FontBuilder(1000, isTTF=True)
    fb.updateHead(created=3786912000, modified=3786912000)  # the same bytes each run
    fb.setupGlyphOrder(names)
    fb.setupCharacterMap({base + b: "byte%02X" % b for b in range(0x20, 0x100)})
    fb.setupGlyf(glyphs)
    fb.setupHorizontalMetrics({name: (600, 50) for name in names})
    fb.setupHorizontalHeader(ascent=1000, descent=-200, lineGap=0)
    fb.setupNameTable({"familyName": family, "styleName": "Regular", "fullName": family,
                       "uniqueFontIdentifier": os.path.basename(path), "version": "Version 1.0",
                       "psName": family.replace(" ", "-") + ("-Symbol" if symbol else "")})
    fb.setupOS2(sTypoAscender=1000, sTypoDescender=-200, sTypoLineGap=0, usWinAscent=1000,
                usWinDescent=200, xAvgCharWidth=600, fsSelection=0xC0, version=4,
                ulCodePageRange1=(1 << 31) if symbol else 1,
                usFirstCharIndex=base + 0x20, usLastCharIndex=base + 0xFF)
    fb.setupPost(isFixedPitch=1)
    if symbol:  # a symbol font carries its map as platform 3, encoding 0 only
        fb.font["cmap"].tables = [t for t in fb.font["cmap"].tables if t.platformID == 3]
        fb.font["cmap"].tables[0].platEncID = 0
    fb.save(path)


out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "fonts")
build(os.path.join(out, "TRS-80-test.ttf"), "TRS-80")
build(os.path.join(out, "TRS-80-test-symbol.ttf"), "TRS-80", symbol=True)
build(os.path.join(out, "system", "TonvaleTestMono.ttf"), "Tonvale Test Mono")

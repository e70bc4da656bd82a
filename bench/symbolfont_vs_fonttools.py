#!/usr/bin/python3
"""The symbol build's job done with fontTools, timed: add one glyph, map U+00A7 to it,
add a suffix to the family names, save. Run beside build/release/bench/bench_symbolfont.

usage: bench/symbolfont_vs_fonttools.py [OUTPUT_DIR]
"""
import sys
import time

from fontTools.pens.ttGlyphPen import TTGlyphPen
from fontTools.ttLib import TTFont

FONTS = [
    "/usr/share/fonts/truetype/droid/DroidSansFallbackFull.ttf",
    "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf",
]


def build(path, out):
    font = TTFont(path)
    pen = TTGlyphPen(None)
    pen.moveTo((0, 0))
    pen.qCurveTo((200, 300), (600, 0))
    pen.lineTo((600, 60))
    pen.qCurveTo((300, 360), (0, 60))
    pen.closePath()
    order = font.getGlyphOrder() + ["Penmark"]
    font.setGlyphOrder(order)
    font["glyf"].glyphs["Penmark"] = pen.glyph()
    font["glyf"].glyphOrder = order
    font["hmtx"].metrics["Penmark"] = (700, 0)
    if "vmtx" in font:
        font["vmtx"].metrics["Penmark"] = (1000, 0)
    font["maxp"].numGlyphs = len(order)
    for table in font["cmap"].tables:
        if table.isUnicode():
            table.cmap[0xA7] = "Penmark"
    for record in font["name"].names:
        if record.nameID in (1, 4, 16):
            record.string = record.toUnicode() + "-Penmark"
    font.save(out)


def main():
    out_dir = sys.argv[1] if len(sys.argv) > 1 else "/tmp"
    for path in FONTS:
        start = time.perf_counter()
        build(path, out_dir + "/fonttools-symbol.ttf")
        print("%-60s %8.0f ms" % (path, (time.perf_counter() - start) * 1000))


if __name__ == "__main__":
    main()

#!/usr/bin/python3
"""The job of one `penmark build` done with fontTools, as a whole process: add one glyph,
map a character to it, add a suffix to the family names, save.

usage: bench/fonttools_build.py FONT OUTPUT
"""
import sys

from fontTools.pens.ttGlyphPen import TTGlyphPen
from fontTools.ttLib import TTFont


def main():
    font = TTFont(sys.argv[1])
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
            table.cmap[0xE000] = "Penmark"
    for record in font["name"].names:
        if record.nameID in (1, 4, 16):
            record.string = record.toUnicode() + "-Penmark"
    font.save(sys.argv[2])


if __name__ == "__main__":
    main()

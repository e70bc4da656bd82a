"""Prints what fontTools reads from a font, for comparison with the plain listing:
units per em, glyph count, numberOfHMetrics and name record count; the advance widths;
the glyph names."""
import sys

from fontTools.ttLib import TTFont

font = TTFont(sys.argv[1])
order = font.getGlyphOrder()
print(font["head"].unitsPerEm, font["maxp"].numGlyphs, font["hhea"].numberOfHMetrics, len(font["name"].names))
print(" ".join(str(font["hmtx"][g][0]) for g in order))
print(" ".join(order))

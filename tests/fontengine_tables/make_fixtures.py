"""Builds small TrueType fonts that carry the tables the Debian fonts lack.

Usage: make_fixtures.py OUTDIR

Writes OUTDIR/extras.ttf (OS/2 version 5, post format 2, hdmx, LTSH, VDMX, PCLT,
vhea/vmtx, gasp, kern, EBLC/EBDT/EBSC with several index formats), OUTDIR/symbol.ttf
(a Symbol character map, OS/2 version 0, post format 3) and OUTDIR/format1.ttf (post
format 1). Every font is built and compiled by fontTools alone.
"""
import array
import io
import struct
import sys

from fontTools.fontBuilder import FontBuilder
from fontTools.pens.ttGlyphPen import TTGlyphPen
from fontTools.ttLib import TTFont, newTable
from fontTools.ttLib.standardGlyphOrder import standardGlyphOrder


def box(width, bottom, top):
    pen = TTGlyphPen(None)
    pen.moveTo((50, bottom))
    pen.lineTo((50, top))
    pen.lineTo((width - 50, top))
    pen.lineTo((width - 50, bottom))
    pen.closePath()
    return pen.glyph()


LETTERS = [chr(c) for c in range(ord("a"), ord("z") + 1)]


def base_font(order, cmap, os2_version):
    fb = FontBuilder(1000, isTTF=True)
    fb.setupGlyphOrder(order)
    fb.setupCharacterMap(cmap)
    glyphs, metrics = {}, {}
    for i, name in enumerate(order):
        width = 300 + 17 * i
        if name in (".notdef", "space", ".null"):
            glyphs[name] = TTGlyphPen(None).glyph() if name != ".notdef" else box(500, 0, 700)
        else:
            glyphs[name] = box(width, -10 * (i % 7), 600 + 11 * i)
        metrics[name] = (width if name != ".notdef" else 500, 50)
    fb.setupGlyf(glyphs)
    fb.setupHorizontalMetrics(metrics)
    fb.setupHorizontalHeader(ascent=900, descent=-200)
    fb.setupNameTable({"familyName": "Fixture", "styleName": "Regular"})
    fb.setupOS2(version=os2_version, sTypoAscender=800, usWinAscent=950, usWinDescent=250,
                sxHeight=500, sCapHeight=700, usDefaultChar=0, usBreakChar=32, usMaxContext=2,
                usLowerOpticalPointSize=8, usUpperOpticalPointSize=72, achVendID="FIXT")
    fb.setupPost()
    return fb


EBLC_XML = """<ttFont>
<EBLC><header version="2.0"/>
 <strike index="0"><bitmapSizeTable>%(metrics)s
   <colorRef value="0"/><startGlyphIndex value="2"/><endGlyphIndex value="9"/>
   <ppemX value="12"/><ppemY value="12"/><bitDepth value="1"/><flags value="1"/></bitmapSizeTable>
  <eblc_index_sub_table_1 imageFormat="1" firstGlyphIndex="2" lastGlyphIndex="4">
   <glyphLoc name="a"/><glyphLoc name="b"/><glyphLoc name="c"/></eblc_index_sub_table_1>
  <eblc_index_sub_table_3 imageFormat="1" firstGlyphIndex="5" lastGlyphIndex="5">
   <glyphLoc name="d"/></eblc_index_sub_table_3>
  <eblc_index_sub_table_4 imageFormat="1" firstGlyphIndex="6" lastGlyphIndex="7">
   <glyphLoc name="e"/><glyphLoc name="f"/></eblc_index_sub_table_4>
 </strike>
 <strike index="1"><bitmapSizeTable>%(metrics)s
   <colorRef value="0"/><startGlyphIndex value="2"/><endGlyphIndex value="5"/>
   <ppemX value="16"/><ppemY value="16"/><bitDepth value="1"/><flags value="1"/></bitmapSizeTable>
  <eblc_index_sub_table_2 imageFormat="5" firstGlyphIndex="2" lastGlyphIndex="3">
   <imageSize value="2"/>%(big)s<glyphLoc name="a"/><glyphLoc name="b"/></eblc_index_sub_table_2>
  <eblc_index_sub_table_5 imageFormat="5" firstGlyphIndex="4" lastGlyphIndex="5">
   <imageSize value="2"/>%(big)s<glyphLoc name="c"/><glyphLoc name="d"/></eblc_index_sub_table_5>
 </strike>
</EBLC>
<EBDT><header version="2.0"/>
 <strikedata index="0">%(small)s</strikedata>
 <strikedata index="1">%(fixed)s</strikedata>
</EBDT>
</ttFont>"""


def line_metrics(direction):
    names = ["ascender", "descender", "widthMax", "caretSlopeNumerator", "caretSlopeDenominator",
             "caretOffset", "minOriginSB", "minAdvanceSB", "maxBeforeBL", "minAfterBL", "pad1", "pad2"]
    values = [10, -3, 9, 1, 1, 0, 0, 1, 10, -3, 0, 0]
    inner = "".join('<%s value="%d"/>' % (n, v) for n, v in zip(names, values))
    return '<sbitLineMetrics direction="%s">%s</sbitLineMetrics>' % (direction, inner)


def bitmap_xml():
    small = ('<SmallGlyphMetrics><height value="2"/><width value="8"/><BearingX value="0"/>'
             '<BearingY value="2"/><Advance value="9"/></SmallGlyphMetrics>')
    big = ('<BigGlyphMetrics><height value="2"/><width value="8"/><horiBearingX value="0"/>'
           '<horiBearingY value="2"/><horiAdvance value="9"/><vertBearingX value="-4"/>'
           '<vertBearingY value="0"/><vertAdvance value="3"/></BigGlyphMetrics>')
    glyphs = "".join('<ebdt_bitmap_format_1 name="%s">%s<rawimagedata>%02x%02x</rawimagedata>'
                     '</ebdt_bitmap_format_1>' % (n, small, i, 255 - i)
                     for i, n in enumerate("abcdef"))
    fixed = "".join('<ebdt_bitmap_format_5 name="%s"><rawimagedata>%02x81</rawimagedata>'
                    '</ebdt_bitmap_format_5>' % (n, i) for i, n in enumerate("abcd"))
    metrics = line_metrics("hori") + line_metrics("vert")
    return EBLC_XML % {"metrics": metrics, "big": big, "small": glyphs, "fixed": fixed}


def extras(path):
    order = [".notdef", "space"] + LETTERS + ["A", "Penmark.alt"]
    cmap = {32: "space", 65: "A", 0x3A9: "Penmark.alt"}
    cmap.update({ord(c): c for c in LETTERS})
    fb = base_font(order, cmap, 5)
    font = fb.font
    fb.setupVerticalHeader(ascent=500, descent=-500)
    fb.setupVerticalMetrics({n: (1000 if i % 3 else 900, 40 + i) for i, n in enumerate(order)})
    gasp = newTable("gasp")
    gasp.gaspRange = {8: 2, 16: 1, 0xFFFF: 15}
    font["gasp"] = gasp
    hdmx = newTable("hdmx")
    hdmx.hdmx = {ppem: {n: (ppem * (300 + 17 * i)) // 1000 for i, n in enumerate(order)} for ppem in (11, 12, 16)}
    font["hdmx"] = hdmx
    font["head"].flags |= (1 << 2) | (1 << 4)  # integer scaling: device widths apply
    ltsh = newTable("LTSH")
    ltsh.version = 0
    ltsh.yPels = {n: 1 + (i % 5) for i, n in enumerate(order)}
    font["LTSH"] = ltsh
    pclt = newTable("PCLT")  # kept as bytes by fontTools
    pclt.data = struct.pack(">IIHHHHHH16s8s6sbbBB", 0x00010000, 0x80001234, 550, 1062, 0, 4099, 1409, 0x115,
                            b"Fixture Regular ", b"\xff" * 7 + b"\xfe", b"FIXT00", -2, 0, 64, 0)
    font["PCLT"] = pclt
    vdmx = newTable("VDMX")
    vdmx.version = 1
    vdmx.ratRanges = [{"bCharSet": 1, "xRatio": 1, "yStartRatio": 1, "yEndRatio": 1, "groupIndex": 0},
                      {"bCharSet": 1, "xRatio": 2, "yStartRatio": 1, "yEndRatio": 2, "groupIndex": 0},
                      {"bCharSet": 0, "xRatio": 0, "yStartRatio": 0, "yEndRatio": 0, "groupIndex": 1}]
    # The second group is large enough for ots-sanitize, which counts group offsets
    # from the end of the offset array.
    vdmx.groups = [{8: (7, -2), 9: (8, -2), 10: (9, -3)},
                   {11: (10, -3), 12: (11, -3), 13: (12, -3), 14: (13, -4)}]
    vdmx.numRecs, vdmx.numRatios = len(vdmx.groups), len(vdmx.ratRanges)
    font["VDMX"] = vdmx
    kern = newTable("kern")
    kern.version = 0
    from fontTools.ttLib.tables._k_e_r_n import KernTable_format_0
    sub = KernTable_format_0()
    sub.version, sub.coverage, sub.format = 0, 1, 0
    sub.kernTable = {("a", "b"): -30, ("A", "v"): -80, ("space", "A"): 12}
    kern.kernTables = [sub]
    font["kern"] = kern
    font["cvt "] = newTable("cvt ")
    font["cvt "].values = array.array("h", [0, 10, -20, 700])
    for tag in ("fpgm", "prep"):
        font[tag] = newTable(tag)
        from fontTools.ttLib.tables import ttProgram
        program = ttProgram.Program()
        program.fromBytecode(b"\xb0\x01\x2c" if tag == "fpgm" else b"\xb0\x00")
        font[tag].program = program
    font["post"].formatType = 2.0
    font.importXML(io.StringIO(bitmap_xml()))
    # fontTools keeps the scaling table as bytes: one scaled size of 10 from 12.
    ebsc = newTable("EBSC")
    metrics = struct.pack(">bbBbBbbbbbbb", 10, -3, 9, 1, 1, 0, 0, 1, 10, -3, 0, 0)
    ebsc.data = struct.pack(">II", 0x00020000, 1) + metrics + metrics + bytes([10, 10, 12, 12])
    font["EBSC"] = ebsc
    font.save(path)


def symbol(path):
    order = [".notdef", "space"] + LETTERS
    fb = base_font(order, {0xF020: "space", **{0xF041 + i: c for i, c in enumerate(LETTERS)}}, 0)
    font = fb.font
    font["cmap"].tables[0].platEncID = 0  # Microsoft Symbol
    font["cmap"].tables = [t for t in font["cmap"].tables if t.platformID == 3]
    font["post"].formatType = 3.0
    font.save(path)


def format1(path):
    order = list(standardGlyphOrder[:40])
    fb = base_font(order, {32: "space", 65: "A", 66: "B"}, 1)
    fb.font["post"].formatType = 1.0
    fb.font.save(path)


if __name__ == "__main__":
    out = sys.argv[1]
    extras(out + "/extras.ttf")
    symbol(out + "/symbol.ttf")
    format1(out + "/format1.ttf")

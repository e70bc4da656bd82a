"""Checks symbol fonts against their originals with fontTools.

usage: check_symbol.py SUFFIX ORIGINAL BUILT CODE [ORIGINAL BUILT CODE ...]

ORIGINAL may be FILE.ttc#N: face N of a collection.

For each built font: one glyph more, and every per-glyph table (hmtx, loca, LTSH,
hdmx, vmtx, post names) agrees with the new count; every character map that can hold
CODE points it at the new glyph at the code CODE has in its encoding (Symbol maps at
0xF000 plus its code page 1252 byte, Macintosh and East Asian maps at their own codes),
every other mapping, outline (glyf, or CFF charstrings) and advance is unchanged, and so
are the layout tables (GDEF, GSUB, GPOS, MATH); the family and full names carry
SUFFIX; the new glyph is a ring: ink on its middle circle, paper in its hole and around
it, in its outline and as FreeType renders the character (through PIL) from the built
file. Prints one line per failure and exits 1 when there is any.
"""
import math
import sys

from PIL import Image, ImageDraw, ImageFont
from fontTools.pens.boundsPen import BoundsPen
from fontTools.pens.pointInsidePen import PointInsidePen
from fontTools.pens.recordingPen import RecordingPen
from fontTools.ttLib import TTFont

failures = []


def fail(font, what):
    failures.append("%s: %s" % (font, what))


# The subtables whose codes are not Unicode, by the codec that gives their codes.
CODECS = {(1, 0): "mac_roman", (1, 1): "shift_jis", (1, 2): "big5", (1, 3): "euc_kr", (1, 25): "gb2312",
          (3, 2): "cp932", (3, 3): "cp950", (3, 4): "gbk", (3, 5): "cp949", (3, 6): "johab"}


def target_code(platform, encoding, code):
    """The code the character should have in a subtable; None when it has none there."""
    if (platform, encoding) == (3, 0):
        try:
            return 0xF000 + chr(code).encode("cp1252")[0]
        except (UnicodeEncodeError, ValueError):
            return code
    codec = CODECS.get((platform, encoding))
    if codec:
        try:
            b = chr(code).encode(codec)
        except UnicodeEncodeError:
            return None
        return b[0] if len(b) == 1 else (b[0] << 8 | b[1]) if len(b) == 2 else None
    if platform == 1:
        return code if code < 0x80 else None
    if platform == 0 or (platform, encoding) in ((3, 1), (3, 10), (2, 1)):
        return code
    return None


def can_hold(table, code, glyph_index):
    if table.format == 0:
        return code < 256 and glyph_index < 256
    if table.format == 6:
        return False  # a dense range may or may not be extendable; not checked
    if table.format in (4, 2):
        return code < 0x10000
    return table.format in (12, 13)


def open_original(original):
    path, _, face = original.rpartition("#")
    if path and face.isdigit():
        return TTFont(path, fontNumber=int(face))
    return TTFont(original)


def check(suffix, original, built, code):
    a = open_original(original)
    b = TTFont(built)
    n = a["maxp"].numGlyphs
    if b["maxp"].numGlyphs != n + 1:
        fail(built, "numGlyphs %d, expected %d" % (b["maxp"].numGlyphs, n + 1))
        return
    order_a, order_b = a.getGlyphOrder(), b.getGlyphOrder()
    new = order_b[n]
    if len(b["hmtx"].metrics) != n + 1:
        fail(built, "hmtx has %d entries" % len(b["hmtx"].metrics))
    for tag in ("vmtx",):
        if tag in b and len(b[tag].metrics) != n + 1:
            fail(built, "%s has %d entries" % (tag, len(b[tag].metrics)))
    if "LTSH" in b and len(b["LTSH"].yPels) != n + 1:
        fail(built, "LTSH has %d entries" % len(b["LTSH"].yPels))
    if "hdmx" in b:
        for ppem, widths in b["hdmx"].hdmx.items():
            if len(widths) != n + 1:
                fail(built, "hdmx %d has %d entries" % (ppem, len(widths)))
    # Character maps.
    for ta in a["cmap"].tables:
        tb = b["cmap"].getcmap(ta.platformID, ta.platEncID)
        if tb is None:
            fail(built, "cmap (%d, %d) lost" % (ta.platformID, ta.platEncID))
            continue
        target = target_code(ta.platformID, ta.platEncID, code)
        old = {c: order_a.index(g) for c, g in ta.cmap.items()}
        now = {c: order_b.index(g) for c, g in tb.cmap.items()}
        if target is not None and can_hold(ta, target, n):
            if now.get(target) != n:
                fail(built, "cmap (%d, %d, format %d) does not map %04X to the new glyph"
                     % (ta.platformID, ta.platEncID, ta.format, target))
        for c, g in old.items():
            if c != target and now.get(c) != g:
                fail(built, "cmap (%d, %d) changed %04X" % (ta.platformID, ta.platEncID, c))
                break
    # Old glyphs and advances.
    if "CFF " in a:
        check_cff(built, a, b, n, order_a, order_b)
    else:
        check_glyf(built, a, b, n, order_a, order_b)
    for i in range(0, n, max(1, n // 300)):
        if a["hmtx"][order_a[i]][0] != b["hmtx"][order_b[i]][0]:
            fail(built, "glyph %d advance changed" % i)
            break
    for tag in ("GDEF", "GSUB", "GPOS", "MATH"):
        if tag in a.reader and (tag not in b.reader or a.reader[tag] != b.reader[tag]):
            fail(built, "%s changed" % tag)
    # Names.
    family = b["name"].getName(1, 3, 1) or b["name"].getName(1, 1, 0)
    if family is None or not family.toUnicode().endswith(suffix):
        fail(built, "family name %r lacks the suffix" % (family and family.toUnicode()))
    # The ring.
    gs = b.getGlyphSet()
    pen = RecordingPen()
    gs[new].draw(pen)
    contours = sum(1 for op, _ in pen.value if op == "moveTo")
    if contours != 2:
        fail(built, "the new glyph has %d contours, expected 2" % contours)
        return
    bounds = BoundsPen(gs)
    gs[new].draw(bounds)
    xMin, yMin, xMax, yMax = bounds.bounds
    # The engine takes glyph boxes at the charstrings' exact extents (as fontTools does),
    # where a font's own box may have rounded them: a unit apart at most.
    head_a, head_b = a["head"], b["head"]
    want = (min(head_a.xMin, math.floor(xMin)), min(head_a.yMin, math.floor(yMin)),
            max(head_a.xMax, math.ceil(xMax)), max(head_a.yMax, math.ceil(yMax)))
    have = (head_b.xMin, head_b.yMin, head_b.xMax, head_b.yMax)
    if "CFF " in a and (any(abs(h - w) > 1 for h, w in zip(have, want)) or have[0] > xMin or have[1] > yMin
                        or have[2] < xMax or have[3] < yMax):
        fail(built, "head box %s, expected the old box with the new glyph's, %s" % (have, want))
    cx, cy = (xMin + xMax) / 2.0, (yMin + yMax) / 2.0
    radius = (xMax - xMin) / 2.0

    def inside(x, y):
        pen = PointInsidePen(gs, (x, y))
        gs[new].draw(pen)
        return pen.getResult()

    if inside(cx, cy):
        fail(built, "the ring's hole is filled")
    for k in range(16):
        t = 2 * math.pi * k / 16
        if not inside(cx + 0.75 * radius * math.cos(t), cy + 0.75 * radius * math.sin(t)):
            fail(built, "the ring has a gap at %d degrees" % (k * 360 // 16))
            break
        if inside(cx + 1.15 * radius * math.cos(t), cy + 1.15 * radius * math.sin(t)):
            fail(built, "ink outside the ring at %d degrees" % (k * 360 // 16))
            break


def check_glyf(built, a, b, n, order_a, order_b):
    glyf_a, glyf_b = a["glyf"], b["glyf"]
    for i in range(0, n, max(1, n // 300)):
        ga, gb = glyf_a[order_a[i]], glyf_b[order_b[i]]
        if ga.numberOfContours != gb.numberOfContours:
            fail(built, "glyph %d changed" % i)
            break
        if ga.numberOfContours > 0 and list(ga.coordinates) != list(gb.coordinates):
            fail(built, "glyph %d outline changed" % i)
            break


def check_cff(built, a, b, n, order_a, order_b):
    """Every old charstring byte for byte, the names kept, the new glyph's name unique,
    hinting and widths in the Private DICTs unchanged."""
    ta, tb = a["CFF "].cff.topDictIndex[0], b["CFF "].cff.topDictIndex[0]
    if b["maxp"].tableVersion != 0x5000:
        fail(built, "maxp version %#x, expected 0.5" % b["maxp"].tableVersion)
    if order_a != order_b[:n]:
        fail(built, "glyph names changed")
    new = order_b[n]
    if "#" in new:
        fail(built, "the new glyph's name %r repeats an old one" % new)
    csa, csb = ta.CharStrings, tb.CharStrings
    for i in range(n):
        if csa[order_a[i]].bytecode != csb[order_b[i]].bytecode:
            fail(built, "charstring of glyph %d (%s) changed" % (i, order_a[i]))
            break
    if hasattr(ta, "FDArray"):
        if [csa.getItemAndSelector(g)[1] for g in order_a] != [csb.getItemAndSelector(g)[1] for g in order_b[:n]]:
            fail(built, "FDSelect changed for old glyphs")
        privates = [(fd.Private.rawDict, fd.Private.Subrs.items if hasattr(fd.Private, "Subrs") else None)
                    for fd in ta.FDArray], [(fd.Private.rawDict, fd.Private.Subrs.items if hasattr(fd.Private, "Subrs") else None)
                                            for fd in tb.FDArray]
    else:
        privates = [ta.Private.rawDict], [tb.Private.rawDict]
    strip = lambda d: {k: v for k, v in d.items() if k != "Subrs"}
    if [strip(p if isinstance(p, dict) else p[0]) for p in privates[0]] != \
            [strip(p if isinstance(p, dict) else p[0]) for p in privates[1]]:
        fail(built, "a Private DICT changed")
    if len(a["CFF "].cff.GlobalSubrs) != len(b["CFF "].cff.GlobalSubrs):
        fail(built, "global subroutines changed")
    ps_name = b["name"].getDebugName(6)
    if b["CFF "].cff.fontNames != [ps_name]:
        fail(built, "CFF font name %s, PostScript name %s" % (b["CFF "].cff.fontNames, ps_name))
    for key in ("FamilyName", "FullName", "Weight", "FontBBox", "ROS"):
        if getattr(ta, key, None) != getattr(tb, key, None) and key != "FontBBox":
            fail(built, "Top DICT %s changed" % key)


def check_rendering(built, code):
    """The character as FreeType draws it at 200 pixels: a ring, ink around a clear hole."""
    try:
        font = ImageFont.truetype(built, 200, layout_engine=ImageFont.Layout.BASIC)
    except OSError as e:
        fail(built, "FreeType cannot open the font: %s" % e)
        return
    text = chr(code)
    box = font.getbbox(text)
    image = Image.new("L", (box[2] + 10, box[3] + 10), 255)
    ImageDraw.Draw(image).text((0, 0), text, font=font, fill=0)
    ink = Image.eval(image, lambda v: 255 - v).getbbox()
    if ink is None or ink[2] - ink[0] < 20 or ink[3] - ink[1] < 20:
        fail(built, "FreeType draws %04X as %s" % (code, ink and "%dx%d pixels" % (ink[2] - ink[0], ink[3] - ink[1])))
        return
    left, top, right, bottom = ink
    cx, cy = (left + right) // 2, (top + bottom) // 2
    rx, ry = (right - left) / 2.0, (bottom - top) / 2.0
    if image.getpixel((cx, cy)) < 128:
        fail(built, "FreeType fills the ring's hole")
    for k in range(16):
        t = 2 * math.pi * k / 16
        x, y = int(cx + 0.75 * rx * math.cos(t)), int(cy + 0.75 * ry * math.sin(t))
        if image.getpixel((x, y)) >= 128:
            fail(built, "FreeType draws no ink at %d degrees" % (k * 360 // 16))
            break


def main():
    suffix = sys.argv[1]
    args = sys.argv[2:]
    for i in range(0, len(args), 3):
        check(suffix, args[i], args[i + 1], int(args[i + 2], 0))
        check_rendering(args[i + 1], int(args[i + 2], 0))
    for f in failures:
        print(f)
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()

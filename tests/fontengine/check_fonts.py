"""Checks fonts written by the engine against the fonts they were read from.

Usage: check_fonts.py ORIGINAL WRITTEN [ORIGINAL WRITTEN ...]

For every pair: ots-sanitize accepts the written font; its directory is sorted, every
table 4-byte aligned, every checksum and checkSumAdjustment right; fontTools finds the
same tables (a digital signature aside), the same outlines, the same advance widths,
byte-identical tables wherever the engine recomputes nothing, and recomputed fields that
agree with what fontTools derives from the glyphs. Prints one line per failure and a
closing 'N passed, N failed' line; exits 1 when anything failed.
"""
import struct
import subprocess
import sys

from fontTools.ttLib import TTFont

RECOMPUTED = {"head", "hhea", "maxp", "loca", "glyf", "hmtx", "DSIG", "OS/2", "post"}
# Tables the engine parses and writes anew: compared by content, not by bytes.
REENCODED = {"cmap", "name"}


def word_sum(data):
    data = data + b"\0" * (-len(data) % 4)
    return sum(struct.unpack(">%dI" % (len(data) // 4), data)) & 0xFFFFFFFF


def check_container(path, errors):
    data = open(path, "rb").read()
    version, count, search_range, selector, shift = struct.unpack(">IHHHH", data[:12])
    power = 1
    while power * 2 <= count:
        power *= 2
    if (search_range, selector, shift) != (power * 16, power.bit_length() - 1, count * 16 - power * 16):
        errors.append("search fields %d %d %d for %d tables" % (search_range, selector, shift, count))
    tags = []
    for i in range(count):
        tag, checksum, offset, length = struct.unpack(">4sIII", data[12 + 16 * i: 28 + 16 * i])
        tags.append(tag)
        if offset % 4:
            errors.append("%s at unaligned offset %d" % (tag, offset))
        body = data[offset: offset + length]
        if tag == b"head":
            body = body[:8] + b"\0\0\0\0" + body[12:]
        if word_sum(body) != checksum:
            errors.append("%s checksum %08x, words sum to %08x" % (tag, checksum, word_sum(body)))
    if tags != sorted(tags):
        errors.append("directory not sorted: %s" % tags)
    if len(data) % 4 or word_sum(data) != 0xB1B0AFBA:
        errors.append("whole-file sum %08x" % word_sum(data))
    return {t.decode("latin-1") for t in tags}


def raw_glyph(glyf, name):
    """A glyph's bytes as stored, without decoding it."""
    g = glyf.glyphs[name]
    return g.data if hasattr(g, "data") else None


def glyph_header(glyf, name):
    """(numberOfContours, box) from the stored header; None for an empty glyph."""
    data = raw_glyph(glyf, name)
    if data is None:
        g = glyf[name]
        return None if g.numberOfContours == 0 else (g.numberOfContours, (g.xMin, g.yMin, g.xMax, g.yMax))
    if len(data) < 10:
        return None
    n, x0, y0, x1, y1 = struct.unpack(">hhhhh", data[:10])
    return (n, (x0, y0, x1, y1))


def compare_glyphs(a, b, errors):
    ga, gb = a["glyf"], b["glyf"]
    order = a.getGlyphOrder()
    if b.getGlyphOrder() != order:
        errors.append("glyph order differs")
        return
    for name in order:
        ra, rb = raw_glyph(ga, name), raw_glyph(gb, name)
        # Identical bytes (up to padding) are the same glyph; anything else is decoded.
        if ra is not None and rb is not None and ra.rstrip(b"\0") == rb.rstrip(b"\0"):
            continue
        x, y = ga[name], gb[name]
        if x.isComposite() != y.isComposite() or x.numberOfContours != y.numberOfContours:
            errors.append("glyph %s changed kind" % name)
            continue
        if x.numberOfContours == 0:
            continue
        if (x.xMin, x.yMin, x.xMax, x.yMax) != (y.xMin, y.yMin, y.xMax, y.yMax):
            errors.append("glyph %s box changed" % name)
        pa = x.program.getBytecode() if hasattr(x, "program") else b""
        pb = y.program.getBytecode() if hasattr(y, "program") else b""
        if pa != pb:
            errors.append("glyph %s instructions changed" % name)
        if x.isComposite():
            ca = [(c.glyphName, c.x, c.y, c.flags & ~0x0121, getattr(c, "transform", None)) for c in x.components]
            cb = [(c.glyphName, c.x, c.y, c.flags & ~0x0121, getattr(c, "transform", None)) for c in y.components]
            if ca != cb:
                errors.append("glyph %s components changed" % name)
        else:
            if list(x.coordinates) != list(y.coordinates) or list(x.endPtsOfContours) != list(y.endPtsOfContours):
                errors.append("glyph %s outline changed" % name)
            elif [f & 0x41 for f in x.flags] != [f & 0x41 for f in y.flags]:
                errors.append("glyph %s point flags changed" % name)


def simple_maxp_values(glyf, name):
    """(points, contours, instruction length) of a simple glyph from its bytes."""
    data = raw_glyph(glyf, name)
    if data is None:
        g = glyf[name]
        return (len(g.coordinates), g.numberOfContours, len(g.program.getBytecode()) if hasattr(g, "program") else 0)
    n = struct.unpack(">h", data[:2])[0]
    if n == 0:
        return (0, 0, 0)
    last = struct.unpack(">H", data[10 + 2 * (n - 1): 12 + 2 * (n - 1)])[0]
    instr = struct.unpack(">H", data[10 + 2 * n: 12 + 2 * n])[0]
    return (last + 1, n, instr)


def cmap_content(font):
    content = {}
    for t in font["cmap"].tables:
        key = (t.platformID, t.platEncID)
        if t.format == 14:
            content[key] = (14, {k: sorted(v, key=str) for k, v in t.uvsDict.items()})
        else:
            content[key] = (t.format, t.language, dict(t.cmap))
    return content


def names(font):
    return [(n.platformID, n.platEncID, n.langID, n.nameID, n.string) for n in font["name"].names]


def compare_cmaps(a, b, errors):
    if "cmap" not in a:
        return
    ca, cb = cmap_content(a), cmap_content(b)
    if sorted(ca) != sorted(cb):
        errors.append("cmap records %s, were %s" % (sorted(cb), sorted(ca)))
    for key in sorted(set(ca) & set(cb)):
        if ca[key] != cb[key]:
            errors.append("cmap subtable %s changed" % (key,))
    pairs = [(t.platformID, t.platEncID) for t in b["cmap"].tables]
    if pairs != sorted(pairs):
        errors.append("cmap records not sorted: %s" % pairs)


def check_recomputed(a, b, errors):
    glyf, hmtx = b["glyf"], b["hmtx"].metrics
    order = b.getGlyphOrder()
    headers = {n: glyph_header(glyf, n) for n in order}
    bounds = {n: (h[1] if h else None) for n, h in headers.items()}
    boxes = [bb for bb in bounds.values() if bb] + [(0, 0, 0, 0)] * sum(1 for bb in bounds.values() if not bb)
    head = b["head"]
    expect = (min(bb[0] for bb in boxes), min(bb[1] for bb in boxes),
              max(0, max(bb[2] for bb in boxes)), max(0, max(bb[3] for bb in boxes)))
    if (head.xMin, head.yMin, head.xMax, head.yMax) != expect:
        errors.append("head box %s, glyphs give %s" % ((head.xMin, head.yMin, head.xMax, head.yMax), expect))
    if head.indexToLocFormat != (0 if b.reader.tables["glyf"].length < 0x20000 else 1):
        errors.append("indexToLocFormat %d for glyf of %d bytes" % (head.indexToLocFormat, b.reader.tables["glyf"].length))
    for field in ("fontRevision", "flags", "unitsPerEm", "macStyle", "lowestRecPPEM", "fontDirectionHint", "magicNumber"):
        if getattr(a["head"], field) != getattr(head, field):
            errors.append("head.%s changed" % field)
    if head.created != (a["head"].created or head.modified):
        errors.append("head.created changed")

    hhea = b["hhea"]
    inked = [n for n in order if bounds[n]]
    expect = {
        "advanceWidthMax": max(hmtx[n][0] for n in order),
        "minLeftSideBearing": min(hmtx[n][1] for n in inked),
        "minRightSideBearing": min(hmtx[n][0] - hmtx[n][1] - (bounds[n][2] - bounds[n][0]) for n in inked),
        "xMaxExtent": max(hmtx[n][1] + bounds[n][2] - bounds[n][0] for n in inked),
    }
    last = hmtx[order[-1]][0]
    n = len(order)
    while n >= 2 and hmtx[order[n - 2]][0] == last:
        n -= 1
    expect["numberOfHMetrics"] = n
    for field, value in expect.items():
        if getattr(hhea, field) != value:
            errors.append("hhea.%s = %s, glyphs give %s" % (field, getattr(hhea, field), value))
    for field in ("ascent", "descent", "lineGap", "caretSlopeRise", "caretSlopeRun", "caretOffset", "metricDataFormat"):
        if getattr(a["hhea"], field) != getattr(hhea, field):
            errors.append("hhea.%s changed" % field)

    maxp = b["maxp"]
    kept = {f: getattr(a["maxp"], f) for f in ("maxTwilightPoints", "maxStorage", "maxFunctionDefs",
                                               "maxInstructionDefs", "maxStackElements")}
    instr = [len(b[t].program.getBytecode()) for t in ("fpgm", "prep") if t in b]
    got = {f: getattr(maxp, f) for f in ("maxPoints", "maxContours", "maxCompositePoints", "maxCompositeContours",
                                        "maxComponentElements", "maxComponentDepth")}
    want = dict.fromkeys(got, 0)
    want["maxComponentDepth"] = 1
    for name in order:
        h = headers[name]
        if h is None:
            continue
        if h[0] >= 0:
            points, contours, length = simple_maxp_values(glyf, name)
            want["maxPoints"] = max(want["maxPoints"], points)
            want["maxContours"] = max(want["maxContours"], contours)
            instr.append(length)
        else:
            # fontTools resolves the composite tree; only composites are decoded.
            g = glyf[name]
            points, contours, depth = g.getCompositeMaxpValues(glyf)
            want["maxCompositePoints"] = max(want["maxCompositePoints"], points)
            want["maxCompositeContours"] = max(want["maxCompositeContours"], contours)
            want["maxComponentDepth"] = max(want["maxComponentDepth"], depth)
            want["maxComponentElements"] = max(want["maxComponentElements"], len(g.components))
            instr.append(len(g.program.getBytecode()) if hasattr(g, "program") else 0)
    if got != want:
        errors.append("maxp %s, fontTools gives %s" % (got, want))
    if maxp.numGlyphs != len(order) or maxp.maxZones != 2:
        errors.append("maxp numGlyphs/maxZones wrong")
    if maxp.maxSizeOfInstructions != max(instr or [0]):
        errors.append("maxp.maxSizeOfInstructions %d, expected %d" % (maxp.maxSizeOfInstructions, max(instr or [0])))
    for field, value in kept.items():
        if getattr(maxp, field) != value:
            errors.append("maxp.%s changed" % field)


def check_pair(original, written):
    errors = []
    ots = subprocess.run(["ots-sanitize", written, "/dev/null"], capture_output=True, text=True)
    if ots.returncode != 0:
        errors.append("ots-sanitize: " + (ots.stderr or ots.stdout).strip().replace("\n", "; "))
    tags = check_container(written, errors)
    a = TTFont(original, recalcBBoxes=False, recalcTimestamp=False)
    b = TTFont(written, recalcBBoxes=False, recalcTimestamp=False)
    if set(a.keys()) - {"DSIG"} != set(b.keys()):
        errors.append("tables differ: %s vs %s" % (sorted(a.keys()), sorted(b.keys())))
    if "DSIG" in tags:
        errors.append("digital signature written")
    compare_cmaps(a, b, errors)
    if "name" in a and names(a) != names(b):
        errors.append("names changed")
    for tag in sorted(set(a.reader.keys()) & set(b.reader.keys()) - RECOMPUTED - REENCODED):
        if a.reader[tag] != b.reader[tag]:
            errors.append("table %s changed" % tag)
    if a["hmtx"].metrics != b["hmtx"].metrics:
        errors.append("advance widths or side bearings changed")
    compare_glyphs(a, b, errors)
    check_recomputed(a, b, errors)
    return errors


def main(argv):
    pairs = list(zip(argv[0::2], argv[1::2]))
    failed = 0
    for original, written in pairs:
        try:
            errors = check_pair(original, written)
        except Exception as e:  # a font fontTools cannot read is a failure too
            errors = ["%s: %s" % (type(e).__name__, e)]
        for e in errors[:20]:
            print("%s: %s" % (original, e))
        failed += bool(errors)
    print("%d passed, %d failed" % (len(pairs) - failed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

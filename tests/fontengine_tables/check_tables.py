"""Checks the font-wide tables of fonts written by the engine against the originals.

Usage: check_tables.py [--added NAME] ORIGINAL WRITTEN [ORIGINAL WRITTEN ...]

For every pair: ots-sanitize accepts the written font; fontTools finds the same glyph
names for the original glyphs and the same content in every table the engine keeps
(cvt, fpgm, prep, gasp, PCLT, VDMX, kern, LTSH, hdmx, vmtx, EBLC, EBDT, EBSC, and every
field of OS/2, post and vhea it does not recompute); the recomputed fields are checked
against values derived here from the written font. With --added, the written font has
one more glyph of that name at the end. Prints one line per failure and a closing
'N passed, N failed' line; exits 1 when anything failed.
"""
import subprocess
import sys

from fontTools.ttLib import TTFont

WEIGHTS = dict(zip("abcdefghijklmnopqrstuvwxyz",
                   [64, 14, 27, 35, 100, 20, 14, 42, 63, 3, 6, 35, 20, 56, 56, 17, 4, 49, 56, 71, 31, 10, 18,
                    3, 18, 2]))
WEIGHTS["space"] = 166
OS2_RECOMPUTED = {"xAvgCharWidth", "usWinAscent", "usWinDescent", "usFirstCharIndex", "usLastCharIndex"}
VHEA_RECOMPUTED = {"advanceHeightMax", "minTopSideBearing", "minBottomSideBearing", "yMaxExtent",
                   "numberOfVMetrics"}
KEPT_AS_XML = ["cvt ", "fpgm", "prep", "gasp", "VDMX", "EBLC", "EBDT"]
KEPT_AS_BYTES = ["PCLT", "EBSC"]


def xml(font, tag):
    from io import StringIO
    out = StringIO()
    font.saveXML(out, tables=[tag])
    return out.getvalue()


def fields(table, skip):
    return {k: v for k, v in vars(table).items() if k not in skip and not k.startswith("_") and k != "tableTag"}


def glyph_box(font, name):
    g = font["glyf"][name]
    if g.numberOfContours == 0:
        return None
    return g.xMin, g.yMin, g.xMax, g.yMax


def expected_os2(font, original_os2):
    """The recomputed OS/2 fields, derived from the written font."""
    cmap = font["cmap"]
    unicode, symbol = cmap.getcmap(3, 1), cmap.getcmap(3, 0)
    mapping = unicode or symbol
    order = font.getGlyphOrder()
    widths = [font["hmtx"][n][0] for n in order]
    weighted = [(WEIGHTS[n], font["hmtx"][n][0]) for n in order if n in WEIGHTS]
    if unicode and not symbol and sum(w for w, _ in weighted) == 1000:
        avg = sum(w * a for w, a in weighted) // 1000
    else:
        avg = sum(widths) // len(widths) if widths else 0
    ascent = descent = 0
    if mapping:
        base = 0xF000 if mapping is symbol else 0
        names = [mapping.cmap.get(base + c) for c in range(0x20, 0x100)]
    else:
        names = order[:256]
    for name in names:
        if name is None or font.getGlyphID(name) == 0:
            continue
        b = glyph_box(font, name)
        if b:
            ascent, descent = max(ascent, b[3]), max(descent, -b[1])
    # The engine raises the Windows metrics to the glyphs but never lowers them.
    result = {"xAvgCharWidth": avg, "usWinAscent": max(ascent, original_os2.usWinAscent),
              "usWinDescent": max(descent, original_os2.usWinDescent)}
    if mapping:
        codes = [c for c, n in mapping.cmap.items() if font.getGlyphID(n) != 0]
        result["usFirstCharIndex"] = min(min(codes), 0xFFFF) if codes else 0
        result["usLastCharIndex"] = min(max(codes), 0xFFFF) if codes else 0
        full = cmap.getcmap(3, 10)
        if full and any(c > 0xFFFF for c in full.cmap):
            result["usLastCharIndex"] = 0xFFFF
    else:
        result["usFirstCharIndex"] = original_os2.usFirstCharIndex
        result["usLastCharIndex"] = original_os2.usLastCharIndex
    return result


def expected_vhea(font):
    order = font.getGlyphOrder()
    heights, tsbs, bottoms, extents = [], [], [], []
    for n in order:
        adv, tsb = font["vmtx"][n]
        b = glyph_box(font, n) or (0, 0, 0, 0)
        heights.append(adv)
        tsbs.append(tsb)
        bottoms.append(adv - b[3] - tsb + b[1])
        extents.append(b[3] - b[1] + tsb)
    count = len(heights)
    while count >= 2 and heights[count - 2] == heights[-1]:
        count -= 1
    return {"advanceHeightMax": max(heights), "minTopSideBearing": min(tsbs),
            "minBottomSideBearing": min(bottoms), "yMaxExtent": max(extents), "numberOfVMetrics": count}


def check_pair(original, written, added, errors):
    ots = subprocess.run(["ots-sanitize", original, "/dev/null"], capture_output=True)
    if ots.returncode == 0:
        ots = subprocess.run(["ots-sanitize", written, "/dev/null"], capture_output=True, text=True)
        if ots.returncode != 0:
            errors.append("ots-sanitize: " + ots.stderr.strip().replace("\n", "; "))
    a, b = TTFont(original), TTFont(written)
    old = a.getGlyphOrder()
    new = b.getGlyphOrder()
    if a["post"].formatType != 3.0 and new[:len(old)] != old:
        errors.append("glyph names differ")
    if added and (len(new) != len(old) + 1 or new[-1] != added):
        errors.append("added glyph: %s" % new[len(old):])
    elif added:
        # Device widths scaled from the advance, threshold 1, vertical metrics as built.
        advance, upem = b["hmtx"][added][0], b["head"].unitsPerEm
        if "hdmx" in b and any(w[added] != min(255, ppem * advance // upem) for ppem, w in b["hdmx"].hdmx.items()):
            errors.append("hdmx widths of the added glyph")
        if "LTSH" in b and b["LTSH"].yPels[added] != 1:
            errors.append("LTSH of the added glyph")
        if "vmtx" in b and b["vmtx"][added] != (1000, 0):
            errors.append("vmtx of the added glyph: %s" % (b["vmtx"][added],))
    for tag in KEPT_AS_XML:
        if tag in a and xml(a, tag) != xml(b, tag):
            errors.append("%s content differs" % tag)
    for tag in KEPT_AS_BYTES:
        if tag in a and a.reader[tag] != b.reader[tag]:
            errors.append("%s bytes differ" % tag)
    if "kern" in a and [t.kernTable for t in a["kern"].kernTables] != [t.kernTable for t in b["kern"].kernTables]:
        errors.append("kern pairs differ")
    if "LTSH" in a and any(a["LTSH"].yPels[n] != b["LTSH"].yPels[n] for n in old):
        errors.append("LTSH differs")
    if "hdmx" in a:
        for ppem, widths in a["hdmx"].hdmx.items():
            if any(widths[n] != b["hdmx"].hdmx[ppem][n] for n in old):
                errors.append("hdmx widths at %d differ" % ppem)
    if "vmtx" in a and any(a["vmtx"][n] != b["vmtx"][n] for n in old):
        errors.append("vmtx differs")
    if "vhea" in a:
        fa, fb = fields(a["vhea"], VHEA_RECOMPUTED), fields(b["vhea"], VHEA_RECOMPUTED)
        if fa != fb:
            errors.append("vhea fields differ: %s" % {k: (fa[k], fb.get(k)) for k in fa if fa[k] != fb.get(k)})
        want = expected_vhea(b)
        got = {k: getattr(b["vhea"], k) for k in want}
        if got != want:
            errors.append("vhea recomputed %s, expected %s" % (got, want))
    if "OS/2" in a:
        if len(a.reader["OS/2"]) != len(b.reader["OS/2"]):
            errors.append("OS/2 length %d, was %d" % (len(b.reader["OS/2"]), len(a.reader["OS/2"])))
        fa, fb = fields(a["OS/2"], OS2_RECOMPUTED), fields(b["OS/2"], OS2_RECOMPUTED)
        fa["panose"], fb["panose"] = vars(a["OS/2"].panose), vars(b["OS/2"].panose)
        if fa != fb:
            errors.append("OS/2 fields differ: %s" % {k: (fa[k], fb.get(k)) for k in fa if fa[k] != fb.get(k)})
        want = expected_os2(b, a["OS/2"])
        got = {k: getattr(b["OS/2"], k) for k in want}
        if got != want:
            errors.append("OS/2 recomputed %s, expected %s" % (got, want))
    if "post" in a:
        skip = {"formatType", "extraNames", "mapping", "glyphOrder", "data"}
        if fields(a["post"], skip) != fields(b["post"], skip):
            errors.append("post fields differ")
        want_format = 3.0 if a["post"].formatType == 3.0 else 2.0
        if b["post"].formatType != want_format:
            errors.append("post format %s, expected %s" % (b["post"].formatType, want_format))


def main(argv):
    added = None
    if argv[:1] == ["--added"]:
        added, argv = argv[1], argv[2:]
    passed = failed = 0
    for original, written in zip(argv[0::2], argv[1::2]):
        errors = []
        try:
            check_pair(original, written, added, errors)
        except Exception as e:  # a font fontTools cannot read is a failure, not a crash
            errors.append("%s: %s" % (type(e).__name__, e))
        for e in errors:
            print("%s: %s" % (written, e))
        if errors:
            failed += 1
        else:
            passed += 1
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

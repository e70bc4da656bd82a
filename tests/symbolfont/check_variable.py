"""Checks symbol fonts built from variable TrueType fonts with fontTools' instancer.

usage: check_variable.py ORIGINAL BUILT [ORIGINAL BUILT ...]

For each pair: the built font has one glyph more; at the default and at both extremes of
every axis, the instance of the built font builds, every old glyph has the advance and
outline of the original's instance, and the new glyph has one and the same advance and
outline in every instance, as in the default (it does not vary). The instancer takes
advances from the glyph variations, so the metric variations (HVAR, VVAR) are checked on
their own: every old glyph keeps its deltas, the new glyph has none. Prints one line per
failure and exits 1 when there is any.
"""
import sys

from fontTools.ttLib import TTFont
from fontTools.varLib import instancer
from fontTools.varLib.models import normalizeLocation
from fontTools.varLib.varStore import VarStoreInstancer

failures = []


def outline(font, name):
    glyph = font["glyf"][name]
    coords, ends, _ = glyph.getCoordinates(font["glyf"])
    return [tuple(c) for c in coords], list(ends)


def metric_deltas(font, tag, loc):
    """Each glyph's advance delta from HVAR or VVAR at loc; None without the table."""
    if tag not in font:
        return None
    table = font[tag].table
    axes = font["fvar"].axes
    norm = normalizeLocation(loc, {a.axisTag: (a.minValue, a.defaultValue, a.maxValue) for a in axes})
    deltas = VarStoreInstancer(table.VarStore, axes, norm)
    mapping = table.AdvWidthMap if tag == "HVAR" else table.AdvHeightMap
    order = font.getGlyphOrder()
    return [deltas[mapping.mapping[g] if mapping else i] for i, g in enumerate(order)]


def locations(font):
    axes = font["fvar"].axes
    yield {a.axisTag: a.defaultValue for a in axes}
    for a in axes:
        for value in (a.minValue, a.maxValue):
            loc = {b.axisTag: b.defaultValue for b in axes}
            loc[a.axisTag] = value
            yield loc


def check(original, built):
    a, b = TTFont(original), TTFont(built)
    n = a["maxp"].numGlyphs
    if b["maxp"].numGlyphs != n + 1:
        failures.append("%s: %d glyphs, expected %d" % (built, b["maxp"].numGlyphs, n + 1))
        return
    new = b.getGlyphOrder()[n]
    wanted = (b["hmtx"][new][0], outline(b, new))
    old_names = a.getGlyphOrder()
    for loc in locations(a):
        for tag in ("HVAR", "VVAR"):
            da, db = metric_deltas(a, tag, loc), metric_deltas(b, tag, loc)
            if da is None:
                continue
            if db is None or db[:n] != da:
                failures.append("%s at %s: %s deltas of the old glyphs changed" % (built, loc, tag))
            elif db[n] != 0:
                failures.append("%s at %s: %s gives the new glyph a delta" % (built, loc, tag))
        try:
            ia = instancer.instantiateVariableFont(TTFont(original), loc)
            ib = instancer.instantiateVariableFont(TTFont(built), loc)
        except Exception as e:  # an instance that cannot be made is the failure itself
            failures.append("%s at %s: %s" % (built, loc, e))
            continue
        for name in old_names:
            if ia["hmtx"][name][0] != ib["hmtx"][name][0]:
                failures.append("%s at %s: advance of %s changed" % (built, loc, name))
                break
            if outline(ia, name) != outline(ib, name):
                failures.append("%s at %s: outline of %s changed" % (built, loc, name))
                break
        got = (ib["hmtx"][new][0], outline(ib, new))
        if got != wanted:
            failures.append("%s at %s: the new glyph varies" % (built, loc))


args = sys.argv[1:]
for i in range(0, len(args) - 1, 2):
    check(args[i], args[i + 1])
for f in failures:
    print(f)
sys.exit(1 if failures else 0)

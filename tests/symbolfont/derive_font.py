"""Derives test fonts from a real one: derive_font.py SRC DST MODE.

post3     glyph names dropped (post format 3)
maconly   only a Macintosh Roman format 0 character map
macsmall  cut to Latin-1's glyphs (fewer than 256), only a Macintosh Roman format 0 map
symbol    only a Microsoft Symbol (3, 0) map, code page 1252 bytes at 0xF000 plus the byte
format2   cut to Latin-1's glyphs, only a Shift-JIS (3, 2) format 2 map of its characters
          and the full-width digits (so that 0x82 starts two-byte codes)
vertical  vhea and vmtx added, most glyphs advancing 2200 units down
dupdir    the name table listed twice in the directory, the second entry pointing at
          the post table's bytes
em16384   units per em raised to 16384 (outlines untouched)

From a variable font with an advance map in HVAR:
implicit  HVAR without maps: its first item variation data holds every glyph's row
vvar      vertical metrics added (as in vertical) and a VVAR sharing HVAR's store, its
          advance map HVAR's, its top side bearing map all on one row
"""
import struct
import sys

from fontTools import subset
from fontTools.ttLib import TTFont, newTable
from fontTools.ttLib.tables._c_m_a_p import CmapSubtable


def only_map(font, platform, encoding, fmt, mapping):
    sub = CmapSubtable.newSubtable(fmt)
    sub.platformID, sub.platEncID, sub.language = platform, encoding, 0
    sub.cmap = mapping
    font["cmap"].tables = [sub]


def latin1(src):
    options = subset.Options()
    options.name_IDs = ["*"]
    options.notdef_outline = True
    options.glyph_names = False
    font = TTFont(src)
    sub = subset.Subsetter(options)
    sub.populate(unicodes=range(0x20, 0x100))
    sub.subset(font)
    return font


def encoded(best, codec):
    out = {}
    for c, g in best.items():
        try:
            b = chr(c).encode(codec)
        except UnicodeEncodeError:
            continue
        out[b[0] if len(b) == 1 else b[0] << 8 | b[1]] = g
    return out


def duplicate_name_entry(path):
    data = bytearray(open(path, "rb").read())
    count = struct.unpack(">H", data[4:6])[0]
    entries = [list(struct.unpack(">4sIII", data[12 + 16 * i:28 + 16 * i])) for i in range(count)]
    post = next(e for e in entries if e[0] == b"post")
    at = next(i for i, e in enumerate(entries) if e[0] == b"name")
    entries.insert(at + 1, [b"name", post[1], post[2], post[3]])
    for e in entries:
        e[2] += 16
    head = struct.pack(">IHHHH", struct.unpack(">I", data[:4])[0], count + 1, *struct.unpack(">HHH", data[6:12]))
    body = b"".join(struct.pack(">4sIII", *e) for e in entries)
    open(path, "wb").write(head + body + bytes(data[12 + 16 * count:]))


def add_vertical(font):
    order = font.getGlyphOrder()
    vhea = newTable("vhea")
    vhea.tableVersion = 0x00011000
    vhea.ascent, vhea.descent, vhea.lineGap = 1100, -1100, 0
    for field in ("advanceHeightMax", "minTopSideBearing", "minBottomSideBearing", "yMaxExtent",
                  "caretSlopeRise", "caretSlopeRun", "caretOffset", "reserved1", "reserved2",
                  "reserved3", "reserved4", "metricDataFormat", "numberOfVMetrics"):
        setattr(vhea, field, 0)
    vhea.caretSlopeRise = 1
    font["vhea"] = vhea
    vmtx = newTable("vmtx")
    vmtx.metrics = {g: (2200 if i % 5 else 1800, 100) for i, g in enumerate(order)}
    font["vmtx"] = vmtx


def implicit_hvar(font):
    from fontTools.ttLib.tables import otTables
    table = font["HVAR"].table
    store = table.VarStore
    regions = len(store.VarRegionList.Region)
    data = otTables.VarData()
    data.VarRegionIndex = list(range(regions))
    data.VarRegionCount = regions
    data.Item = []
    for name in font.getGlyphOrder():
        index = table.AdvWidthMap.mapping[name]
        source = store.VarData[index >> 16]
        row = [0] * regions
        for k, region in enumerate(source.VarRegionIndex):
            row[region] = source.Item[index & 0xFFFF][k]
        data.Item.append(row)
    data.ItemCount = len(data.Item)
    data.calculateNumShorts()
    store.VarData = [data]
    store.VarDataCount = 1
    table.AdvWidthMap = table.LsbMap = table.RsbMap = None


def add_vvar(font):
    import copy
    from fontTools.ttLib.tables import otTables
    add_vertical(font)
    hvar = font["HVAR"].table
    vvar = otTables.VVAR()
    vvar.Version = 0x00010000
    vvar.VarStore = copy.deepcopy(hvar.VarStore)
    vvar.AdvHeightMap = copy.deepcopy(hvar.AdvWidthMap)
    vvar.TsbMap = copy.deepcopy(hvar.AdvWidthMap)
    first = font.getGlyphOrder()[0]
    vvar.TsbMap.mapping = {g: hvar.AdvWidthMap.mapping[first] for g in font.getGlyphOrder()}
    vvar.BsbMap = vvar.VOrgMap = None
    table = newTable("VVAR")
    table.table = vvar
    font["VVAR"] = table


def main():
    src, dst, mode = sys.argv[1:4]
    font = TTFont(src)
    if mode == "post3":
        font["post"].formatType = 3.0
    elif mode == "maconly":
        font["post"].formatType = 3.0
        best = font.getBestCmap()
        only_map(font, 1, 0, 0, {c: g for c, g in best.items() if c < 256})
    elif mode == "macsmall":
        font = latin1(src)
        font["post"].formatType = 3.0
        only_map(font, 1, 0, 0, encoded(font.getBestCmap(), "mac_roman"))
    elif mode == "symbol":
        best = font.getBestCmap()
        only_map(font, 3, 0, 4, {0xF000 + c: g for c, g in encoded(best, "cp1252").items() if c >= 0x20 and c < 0x100})
    elif mode == "format2":
        font = latin1(src)
        best = font.getBestCmap()
        mapping = encoded(best, "cp932")
        for d in range(10):
            mapping[0x824F + d] = best[0x30 + d]
        only_map(font, 3, 2, 2, mapping)
    elif mode == "vertical":
        add_vertical(font)
    elif mode == "implicit":
        implicit_hvar(font)
    elif mode == "vvar":
        add_vvar(font)
    elif mode == "em16384":
        font["post"].formatType = 3.0
        font["head"].unitsPerEm = 16384
    font.save(dst)
    if mode == "dupdir":
        duplicate_name_entry(dst)


if __name__ == "__main__":
    main()

"""Makes a CID-keyed OpenType font from a name-keyed one: the same charstrings, two Font
DICTs (glyphs alternate between them in runs) sharing the Private DICT's values, glyphs
renamed cidNNNNN with gaps in the CIDs.

usage: derive_cid.py IN.otf OUT.otf
"""
import copy
import sys

from fontTools.cffLib import FDArrayIndex, FDSelect, FontDict, PrivateDict
from fontTools.ttLib import TTFont

src, dst = sys.argv[1], sys.argv[2]
font = TTFont(src)
for tag in ("GSUB", "GPOS", "GDEF"):  # they name glyphs: left out rather than renamed
    if tag in font:
        del font[tag]
for tag in font.keys():
    font[tag]
cff = font["CFF "].cff
top = cff.topDictIndex[0]
order = font.getGlyphOrder()
cids = [".notdef"] + ["cid%05d" % (2 * i + 1) for i in range(1, len(order))]
rename = dict(zip(order, cids))

charstrings = top.CharStrings
fds = FDArrayIndex()
for k in range(2):
    fd = FontDict()
    fd.setCFF2(False)
    private = copy.deepcopy(top.Private)
    fd.Private = private
    fd.FontName = "%s-%d" % (cff.fontNames[0], k)
    fds.append(fd)
top.FDArray = fds
select = [0 if (i // 7) % 2 == 0 else 1 for i in range(len(order))]
top.FDSelect = FDSelect()
top.FDSelect.gidArray = select
top.ROS = ("Adobe", "Identity", 0)
top.CIDCount = 2 * len(order) + 1
del top.rawDict["Private"]
if hasattr(top, "Private"):
    del top.Private
if hasattr(top, "Encoding"):
    del top.Encoding
new_strings = {}
for name in order:
    cs = charstrings[name]
    new_strings[rename[name]] = cs
font.setGlyphOrder(cids)
top.charset = cids
cs_index = charstrings.charStrings
charstrings.charStrings = {rename[n]: i for n, i in cs_index.items()} if isinstance(next(iter(cs_index.values())), int) else {rename[n]: v for n, v in cs_index.items()}
for i, name in enumerate(cids):
    charstrings[name].private = fds[select[i]].Private
charstrings.fdSelect = top.FDSelect
charstrings.fdArray = fds
for table in ("hmtx",):
    font[table].metrics = {rename[n]: v for n, v in font[table].metrics.items()}
for t in font["cmap"].tables:
    t.cmap = {c: rename[n] for c, n in t.cmap.items()}
font["post"].formatType = 3.0
font.save(dst)

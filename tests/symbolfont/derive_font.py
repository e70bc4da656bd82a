"""Derives test fonts from a real one: derive_font.py SRC DST MODE.

post3    glyph names dropped (post format 3)
maconly  only a Macintosh Roman format 0 character map
em16384  units per em raised to 16384 (outlines untouched)
check    DST is a built font: print facts about it as KEY=VALUE lines
"""
import sys
from fontTools.ttLib import TTFont
from fontTools.ttLib.tables._c_m_a_p import CmapSubtable


def main():
    src, dst, mode = sys.argv[1:4]
    font = TTFont(src)
    if mode == "post3":
        font["post"].formatType = 3.0
    elif mode == "maconly":
        font["post"].formatType = 3.0
        best = font.getBestCmap()
        sub = CmapSubtable.newSubtable(0)
        sub.platformID, sub.platEncID, sub.language = 1, 0, 0
        sub.cmap = {c: g for c, g in best.items() if c < 256}
        font["cmap"].tables = [sub]
    elif mode == "em16384":
        font["post"].formatType = 3.0
        font["head"].unitsPerEm = 16384
    font.save(dst)


if __name__ == "__main__":
    main()

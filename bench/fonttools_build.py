#!/usr/bin/python3
"""The job of one `penmark build` done with fontTools, as a whole process: the build of
symbolfont_vs_fonttools.py (one glyph, a character mapped to it, the suffixed names) on
one font.

usage: bench/fonttools_build.py FONT OUTPUT
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from symbolfont_vs_fonttools import build  # noqa: E402

if __name__ == "__main__":
    build(sys.argv[1], sys.argv[2])

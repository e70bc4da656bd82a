#!/usr/bin/python3
"""Writes the picture fixtures of the reader tests into OUTDIR.

Pictures are drawn with PIL and written by PIL and libtiff's tools (tiffcp, tiffset);
a few layouts no tool writes (SHORT strip offsets, missing byte counts, a BMP palette
listing white first) are assembled here byte by byte. Each readable fixture gets a
reference PBM decoded independently: the file is rewritten by tiffcp as one
uncompressed strip and read by PIL, and the script insists that PIL's direct decoding
of the original agrees.

manifest.txt, one line per fixture:  <file> <expected code> [<reference pbm>]
"""
import os
import random
import shutil
import struct
import subprocess
import sys

from PIL import Image, ImageDraw

OUT = sys.argv[1]
os.makedirs(OUT, exist_ok=True)
manifest = []


def path(name):
    return os.path.join(OUT, name)


def run(*args):
    subprocess.run(args, check=True, stdout=subprocess.DEVNULL)


def signature(width, height, seed):
    """A signature-like picture: a few thick strokes and loops, some specks."""
    rnd = random.Random(seed)
    im = Image.new("1", (width, height), 1)
    d = ImageDraw.Draw(im)
    for _ in range(6):
        pts = [(rnd.randrange(width), rnd.randrange(height)) for _ in range(5)]
        d.line(pts, fill=0, width=rnd.randrange(1, 5))
    for _ in range(3):
        x, y = rnd.randrange(max(1, width - 10)), rnd.randrange(max(1, height - 10))
        d.ellipse((x, y, x + rnd.randrange(4, 40), y + rnd.randrange(4, 30)), outline=0, width=2)
    for _ in range(width * height // 200):
        im.putpixel((rnd.randrange(width), rnd.randrange(height)), 0)
    return im


def run_lengths(width):
    """Rows of white and black runs of equal length covering every terminating and
    make-up code of both colours, the extended make-up codes and runs beyond 2560."""
    lengths = list(range(64)) + [64 * m + t for m in range(1, 41) for t in (0, m % 64)]
    lengths += [2561, 2700, 4000, 5119]
    rows, row = [], []
    for length in lengths:
        if len(row) + 2 * length > width:  # close the row with a white filler run
            rows.append(row + [1] * (width - len(row)))
            row = []
        row += [1] * length + [0] * length
    rows.append(row + [1] * (width - len(row)))
    im = Image.new("1", (width, len(rows)), 1)
    im.putdata([v for r in rows for v in r])
    return im


def reference(tif, name):
    """Decodes tif with libtiff (to one uncompressed strip) and PIL; writes name.pbm."""
    flat = path(name + ".flat.tif")
    run("tiffcp", "-c", "none", "-s", "-r", "100000", tif, flat)
    via_libtiff = Image.open(flat).convert("1")
    direct = Image.open(tif)
    direct.load()
    direct = direct.convert("1")
    assert via_libtiff.tobytes() == direct.tobytes(), tif
    os.remove(flat)
    via_libtiff.save(path(name + ".pbm"))
    return name + ".pbm"


def add(file, code, ref=None):
    manifest.append(f"{file} {code}" + (f" {ref}" if ref else ""))


def inverted(im):
    return im.point(lambda v: 255 - v).convert("1")


COMPRESSIONS = {"none": "raw", "packbits": "packbits", "lzw": "tiff_lzw", "mh": "tiff_ccitt"}

pictures = {"sig": signature(203, 77, 1), "runs": run_lengths(10240)}

for pic_name, im in pictures.items():
    for comp, pil_comp in COMPRESSIONS.items():
        base = f"{pic_name}_{comp}"
        # Little-endian, BlackIsZero, one strip.
        im.save(path(base + "_ii.tif"), compression=pil_comp)
        ref = reference(path(base + "_ii.tif"), base)
        add(base + "_ii.tif", 0, ref)
        # Big-endian twin.
        run("tiffcp", "-B", path(base + "_ii.tif"), path(base + "_mm.tif"))
        add(base + "_mm.tif", 0, reference(path(base + "_mm.tif"), base + "_mm"))
        # WhiteIsZero: the inverted bits with the interpretation flipped show the same picture.
        inverted(im).save(path(base + "_wz.tif"), compression=pil_comp)
        run("tiffset", "-s", "262", "0", path(base + "_wz.tif"))
        add(base + "_wz.tif", 0, reference(path(base + "_wz.tif"), base + "_wz"))
        if pic_name != "sig":
            continue
        # Strips that do and do not divide the height (77 = 7 x 11).
        for rows in (7, 10):
            name = f"{base}_r{rows}.tif"
            run("tiffcp", "-r", str(rows), path(base + "_ii.tif"), path(name))
            add(name, 0, reference(path(name), name[:-4]))
        # Tiles that do not divide the picture, in both byte orders, also WhiteIsZero.
        for order, src in (("-L", "_ii"), ("-B", "_ii"), ("-L", "_wz")):
            name = f"{base}{src}_tiled{order}.tif"
            run("tiffcp", order, "-t", "-w", "32", "-l", "16", path(base + src + ".tif"), path(name))
            add(name, 0, reference(path(name), name[:-4]))


# Layouts written here byte by byte.
def tiff_bytes(im, order, entries_extra, strip_rows, offset_type, with_counts=True,
               photometric=1, compression=1, bits_per_sample=1, samples=1, version=42):
    """An uncompressed TIFF with strips of strip_rows rows; offsets of offset_type
    (3 SHORT, 4 LONG)."""
    e = "<" if order == "II" else ">"
    w, h = im.size
    raw = im.tobytes()  # PIL: 1 = white, rows byte-aligned
    if photometric == 0:
        raw = bytes(b ^ 0xFF for b in raw)
    row_bytes = (w + 7) // 8
    strips = [raw[r * row_bytes:min(h, r + strip_rows) * row_bytes] for r in range(0, h, strip_rows)]
    data = b"".join(strips)
    data_at = 8
    entries = [
        (256, 3, 1, w), (257, 3, 1, h), (258, 3, 1, bits_per_sample), (259, 3, 1, compression),
        (262, 3, 1, photometric), (277, 3, 1, samples), (278, 3, 1, strip_rows),
    ] + entries_extra
    offsets, pos = [], data_at
    for s in strips:
        offsets.append(pos)
        pos += len(s)
    arrays_at = data_at + len(data)
    arrays = b""
    fmt = "H" if offset_type == 3 else "I"

    def array_entry(tag, values):
        nonlocal arrays
        packed = b"".join(struct.pack(e + fmt, v) for v in values)
        if len(packed) <= 4:
            return (tag, offset_type, len(values), packed.ljust(4, b"\0"))
        at = arrays_at + len(arrays)
        arrays += packed
        return (tag, offset_type, len(values), struct.pack(e + "I", at))

    entries.append(array_entry(273, offsets))
    if with_counts:
        entries.append(array_entry(279, [len(s) for s in strips]))
    entries.sort(key=lambda t: t[0])
    ifd_at = arrays_at + len(arrays)
    ifd = struct.pack(e + "H", len(entries))
    for tag, typ, count, value in entries:
        if isinstance(value, bytes):
            field = value
        elif typ == 3:
            field = struct.pack(e + "HH", value, 0)
        else:
            field = struct.pack(e + "I", value)
        ifd += struct.pack(e + "HHI", tag, typ, count) + field
    ifd += struct.pack(e + "I", 0)
    header = order.encode() + struct.pack(e + "HI", version, ifd_at)
    return header + data + arrays + ifd


sig = pictures["sig"]
small = signature(60, 23, 2)
for order in ("II", "MM"):
    for name, kwargs in {
        "short_offsets": dict(offset_type=3, strip_rows=10),
        "long_offsets": dict(offset_type=4, strip_rows=10),
        "no_counts": dict(offset_type=4, strip_rows=9, with_counts=False),
        "whiteiszero": dict(offset_type=3, strip_rows=77, photometric=0),
    }.items():
        file = f"hand_{name}_{order}.tif"
        with open(path(file), "wb") as f:
            f.write(tiff_bytes(sig, order, [], **kwargs))
        if name == "no_counts":
            # libtiff insists on byte counts: the twin with them is the oracle.
            add(file, 0, f"hand_long_offsets_{order}.pbm")
        else:
            add(file, 0, reference(path(file), file[:-4]))
# One tile much larger than a small picture, as libtiff's default tile size makes it.
small.save(path("small_lzw.tif"), compression="tiff_lzw")
run("tiffcp", "-t", "-w", "256", "-l", "256", path("small_lzw.tif"), path("small_lzw_tiled.tif"))
add("small_lzw_tiled.tif", 0, reference(path("small_lzw_tiled.tif"), "small_lzw_tiled"))
# Two SHORT offsets fit in the entry itself.
with open(path("hand_inline_offsets.tif"), "wb") as f:
    f.write(tiff_bytes(small, "II", [], strip_rows=12, offset_type=3))
add("hand_inline_offsets.tif", 0, reference(path("hand_inline_offsets.tif"), "hand_inline_offsets"))

# Refusals.
Image.new("RGB", (20, 10), (255, 0, 0)).save(path("colour.tif"))
add("colour.tif", 1030)
Image.new("L", (20, 10), 128).save(path("grey.tif"))
add("grey.tif", 1030)
with open(path("bits8_spp1.tif"), "wb") as f:
    f.write(tiff_bytes(small, "II", [], strip_rows=23, offset_type=4, bits_per_sample=8))
add("bits8_spp1.tif", 1030)
small.save(path("jpeg_tag.tif"), compression="raw")
run("tiffset", "-s", "259", "7", path("jpeg_tag.tif"))
add("jpeg_tag.tif", 1031)
run("tiffcp", "-8", path("sig_none_ii.tif"), path("bigtiff.tif"))
add("bigtiff.tif", 1026)
with open(path("version41.tif"), "wb") as f:
    f.write(tiff_bytes(small, "II", [], strip_rows=23, offset_type=4, version=41))
add("version41.tif", 1026)
with open(path("subfile1.tif"), "wb") as f:
    f.write(tiff_bytes(small, "II", [(254, 4, 1, 1)], strip_rows=23, offset_type=4))
add("subfile1.tif", 1025)
with open(path("subfile4.tif"), "wb") as f:
    f.write(tiff_bytes(small, "II", [(254, 4, 1, 4)], strip_rows=23, offset_type=4))
add("subfile4.tif", 1025)
# One page of a multi-page document, as fax programs and Ghostscript mark every page.
with open(path("page_subfile2.tif"), "wb") as f:
    f.write(tiff_bytes(small, "II", [(254, 4, 1, 2)], strip_rows=23, offset_type=4))
small.save(path("small.pbm"))
add("page_subfile2.tif", 0, "small.pbm")
# Bits of each byte lowest first, every compression, both byte orders.
for comp in COMPRESSIONS:
    for order in ("-L", "-B"):
        name = f"fill2_{comp}{order}.tif"
        run("tiffcp", order, "-f", "lsb2msb", path(f"sig_{comp}_ii.tif"), path(name))
        add(name, 0, f"sig_{comp}.pbm")
# Orientation: the picture as a viewer turns it upright.
TURNS = {2: Image.Transpose.FLIP_LEFT_RIGHT, 3: Image.Transpose.ROTATE_180,
         4: Image.Transpose.FLIP_TOP_BOTTOM, 5: Image.Transpose.TRANSPOSE,
         6: Image.Transpose.ROTATE_270, 7: Image.Transpose.TRANSVERSE, 8: Image.Transpose.ROTATE_90}
for value, turn in TURNS.items():
    name = f"orient{value}"
    run("tiffcp", path("sig_lzw_ii.tif"), path(name + ".tif"))
    run("tiffset", "-s", "274", str(value), path(name + ".tif"))
    Image.open(path("sig_lzw.pbm")).transpose(turn).save(path(name + ".pbm"))
    add(name + ".tif", 0, name + ".pbm")
with open(path("photometric2.tif"), "wb") as f:
    f.write(tiff_bytes(small, "II", [], strip_rows=23, offset_type=4, photometric=2))
add("photometric2.tif", 1025)

# Fax codings as libtiff's tiffcp writes them: Group 3 one- and two-dimensional (also
# with end-of-line codes ending on byte boundaries) and Group 4, from both pictures, in
# both byte orders and bit orders, BlackIsZero and WhiteIsZero, one strip, strips of 7
# rows and tiles. Each is compared with libtiff's uncompressed copy of the file.
FAX = {"g3": "g3", "g3fill": "g3:fill", "g32d": "g3:2d", "g32dfill": "g3:2d:fill", "g4": "g4"}
for pic_name in ("sig", "runs"):
    for fax_name, fax_comp in FAX.items():
        for src in ("_ii", "_wz"):
            for order in ("-L", "-B"):
                for fill in ("msb2lsb", "lsb2msb"):
                    layouts = {"": []}
                    if pic_name == "sig":
                        layouts.update({"_strips7": ["-r", "7"], "_tiles": ["-t", "-w", "32", "-l", "16"]})
                    for layout, args in layouts.items():
                        if layout and (src != "_ii" or fill != "msb2lsb"):
                            continue
                        name = f"fax_{pic_name}_{fax_name}{src}{order}_{fill}{layout}"
                        run("tiffcp", "-c", fax_comp, order, "-f", fill, *args,
                            path(f"{pic_name}_none{src}.tif"), path(name + ".tif"))
                        add(name + ".tif", 0, reference(path(name + ".tif"), name))

# Noise at narrow and odd widths: rows that start or end black, single-pixel runs, runs
# crossing every byte boundary.
for width in (1, 2, 8, 9, 63, 1729):
    for density in (50, 5):
        rnd = random.Random(width * 100 + density)
        noise = Image.new("1", (width, 13), 1)
        noise.putdata([0 if rnd.randrange(100) < density else 1 for _ in range(width * 13)])
        noise.save(path(f"noise_{width}_{density}.tif"), compression="raw")
        for fax_name in ("g3", "g3:2d", "g4"):
            name = f"faxnoise_{width}_{density}_{fax_name.replace(':', '')}"
            run("tiffcp", "-c", fax_name, path(f"noise_{width}_{density}.tif"), path(name + ".tif"))
            add(name + ".tif", 0, reference(path(name + ".tif"), name))

# Fax pages as Ghostscript's fax devices write them (each page marked as one page of a
# multi-page document), in both bit orders and in strips of a few rows.
GS_PAGE = """%!PS
<< /PageSize [400 150] >> setpagedevice
1 setlinecap 1 setlinejoin
3 setlinewidth newpath 20 40 moveto 80 140 120 -20 180 90 curveto
220 140 260 10 300 70 curveto 330 110 360 60 380 80 curveto stroke
1.2 setlinewidth newpath 60 30 moveto 340 35 lineto stroke
newpath 150 100 25 0 360 arc 0.6 setlinewidth stroke
0 1 39 { dup 9 mul 10 add 8 moveto 0 4 rlineto 0.4 setlinewidth stroke } for
showpage
"""
with open(path("page.ps"), "w") as f:
    f.write(GS_PAGE)
# Without Ghostscript a developer's run leaves these out; under CI it is an error.
HAVE_GS = shutil.which("gs") is not None
if not HAVE_GS and os.environ.get("CI"):
    sys.exit("gs (Ghostscript) is missing")
for device in ("tiffg3", "tiffg32d", "tiffg4") if HAVE_GS else ():
    for fill in (1, 2):
        for strip in ("", "_strips"):
            name = f"gs_{device}_fill{fill}{strip}"
            args = ["gs", "-q", "-dNOPAUSE", "-dBATCH", "-dSAFER", "-r203x196", f"-sDEVICE={device}",
                    f"-dFillOrder={fill}", "-dAdjustWidth=0"]
            if strip:
                args.append("-dMaxStripSize=2000")
            run(*args, "-sOutputFile=" + path(name + ".tif"), path("page.ps"))
            add(name + ".tif", 0, reference(path(name + ".tif"), name))

# BMP: PIL writes 1-bit bitmaps with black as colour 0.
for w, h in ((203, 77), (1, 1), (32, 3), (33, 5)):
    im = signature(w, h, w) if w > 8 else Image.new("1", (w, h), 0)
    name = f"bmp_{w}x{h}"
    im.save(path(name + ".bmp"))
    Image.open(path(name + ".bmp")).convert("1").save(path(name + ".pbm"))
    add(name + ".bmp", 0, name + ".pbm")
# White listed first: bit 0 is still ink, so the reference is the black-first decoding.
data = bytearray(open(path("bmp_203x77.bmp"), "rb").read())
data[54:62] = bytes(data[58:62]) + bytes(data[54:58])
open(path("bmp_white_first.bmp"), "wb").write(data)
add("bmp_white_first.bmp", 0, "bmp_203x77.pbm")
# Extension only a hint: each format under the other's name.
open(path("bmp_named.tif"), "wb").write(open(path("bmp_203x77.bmp"), "rb").read())
add("bmp_named.tif", 0, "bmp_203x77.pbm")
open(path("tiff_named.bmp"), "wb").write(open(path("sig_lzw_ii.tif"), "rb").read())
add("tiff_named.bmp", 0, "sig_lzw.pbm")
open(path("tiff_named.dat"), "wb").write(open(path("sig_mh_mm.tif"), "rb").read())
add("tiff_named.dat", 0, "sig_mh_mm.pbm")

Image.new("L", (9, 4), 100).save(path("grey.bmp"))
add("grey.bmp", 1030)
Image.new("RGB", (9, 4), (1, 2, 3)).save(path("colour.bmp"))
add("colour.bmp", 1030)
bmp = bytearray(open(path("bmp_33x5.bmp"), "rb").read())
bmp[30:34] = struct.pack("<I", 1)  # a compression other than none
open(path("bmp_compressed.bmp"), "wb").write(bmp)
add("bmp_compressed.bmp", 1031)
bmp = bytearray(open(path("bmp_33x5.bmp"), "rb").read())
bmp[22:26] = struct.pack("<i", -5)  # top-down
open(path("bmp_topdown.bmp"), "wb").write(bmp)
add("bmp_topdown.bmp", 1024)
bmp = bytearray(open(path("bmp_33x5.bmp"), "rb").read())
bmp[18:22] = struct.pack("<i", 0)
open(path("bmp_zero_width.bmp"), "wb").write(bmp)
add("bmp_zero_width.bmp", 1024)
open(path("bmp_truncated.bmp"), "wb").write(open(path("bmp_203x77.bmp"), "rb").read()[:1000])
add("bmp_truncated.bmp", 2006)
open(path("neither.xyz"), "wb").write(b"This is neither a TIFF nor a bitmap.\n" * 3)
add("neither.xyz", 1029)
open(path("neither.tif"), "wb").write(b"PK\x03\x04 something else entirely")
add("neither.tif", 1029)
open(path("empty.bmp"), "wb").write(b"")
add("empty.bmp", 1029)

with open(path("manifest.txt"), "w") as f:
    f.write("\n".join(manifest) + "\n")

#!/usr/bin/env bash
# A 12-megapixel JPEG photo of a signature (uneven light, slight blur) to black and
# white as whole processes, side by side: `penmark threshold` (decode, automatic
# threshold, speck removal, plain PBM out) against ImageMagick's
# `convert photo.jpg -threshold 50% out.pbm`. Alternating runs, medians; peak memory
# from GNU time. Needs a release build (made here when missing).
#
# usage: bench/photo_vs_imagemagick.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
RUNS=${1:-5}
BUILD=build/release
[ -x "$BUILD/src/cli/penmark" ] || {
  cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$BUILD" -j2 >/dev/null
}
[ -x /usr/bin/convert ] || { echo "ImageMagick is missing: apt-get install imagemagick" >&2; exit 1; }
PENMARK=$BUILD/src/cli/penmark
TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT

/usr/bin/python3 - "$TMP/photo.jpg" <<'PY'
import random, sys
from PIL import Image, ImageDraw, ImageFilter
w, h = 4000, 3000
img = Image.new("RGB", (w, h))
d = ImageDraw.Draw(img)
for y in range(0, h, 10):  # light falling off down the page
    c = int(235 - 40 * y / h)
    d.rectangle([0, y, w, y + 10], fill=(c, c - 5, c - 15))
random.seed(1)
d.line([(random.randint(500, 3500), random.randint(1000, 2000)) for _ in range(40)],
       fill=(20, 20, 60), width=18, joint="curve")
img.filter(ImageFilter.GaussianBlur(1.5)).save(sys.argv[1], quality=90)
PY

peak_kb() {
  /usr/bin/time -f "%M" -o "$TMP/t" "$@" >/dev/null 2>&1
  cat "$TMP/t"
}

{ read -r p; read -r m; } < <(bench/timeproc.py "$RUNS" \
  "$PENMARK" threshold "$TMP/photo.jpg" -o "$TMP/p.pbm" --- \
  /usr/bin/convert "$TMP/photo.jpg" -threshold 50% "$TMP/m.pbm")
echo "12-megapixel JPEG to black and white, whole process, median of $RUNS"
echo "| command | time | peak memory |"
echo "|---|---|---|"
echo "| penmark threshold | $p ms | $(( $(peak_kb "$PENMARK" threshold "$TMP/photo.jpg" -o "$TMP/p.pbm") / 1024 )) MB |"
echo "| convert -threshold 50% | $m ms | $(( $(peak_kb /usr/bin/convert "$TMP/photo.jpg" -threshold 50% "$TMP/m.pbm") / 1024 )) MB |"

#!/usr/bin/env bash
# Whole processes side by side, as a user waits for them: `penmark build` against the
# fontTools script doing the same job and `cp` of the font; `penmark --version` against
# `true`; `penmark trace` against potrace. Alternating runs, median of 5, peak memory from
# GNU time. Needs a release build (made here when missing).
#
# usage: bench/whole_process.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
RUNS=${1:-5}
BUILD=build/release
[ -x "$BUILD/src/cli/penmark" ] || {
  cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$BUILD" -j2 >/dev/null
}
PENMARK=$BUILD/src/cli/penmark
SIGNATURE=samples/signature.tif
TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT

# Median peak resident kilobytes of RUNS runs of a command, from GNU time.
peak_kb() {
  for _ in $(seq "$RUNS"); do
    /usr/bin/time -f "%M" -o "$TMP/t" "$@" >/dev/null 2>&1 || true
    cat "$TMP/t"
  done | sort -g | sed -n "$(( (RUNS + 1) / 2 ))p"
}

# Milliseconds of whole processes, alternating, one median per command (see timeproc.py).
times() { bench/timeproc.py "$RUNS" "$@"; }

echo "| font | penmark build | fontTools, same job | cp | ratio | penmark peak memory |"
echo "|---|---|---|---|---|---|"
for font in /usr/share/fonts/truetype/droid/DroidSansFallbackFull.ttf \
            /usr/share/fonts/opentype/ipafont-gothic/ipag.ttf \
            /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf; do
  [ -r "$font" ] || continue
  { read -r p; read -r f; read -r c; } < <(times \
    "$PENMARK" build --font "$font" --image "$SIGNATURE" --char U+E000 -o "$TMP/p.ttf" --- \
    /usr/bin/python3 bench/fonttools_build.py "$font" "$TMP/f.ttf" --- \
    cp "$font" "$TMP/c.ttf")
  pm=$(peak_kb "$PENMARK" build --font "$font" --image "$SIGNATURE" --char U+E000 -o "$TMP/p.ttf")
  size=$(( $(stat -c %s "$font") / 1024 ))
  ratio=$(awk -v a="$f" -v b="$p" 'BEGIN { printf "%.0fx", a / b }')
  echo "| $(basename "$font") ($size KB) | $p ms | $f ms | $c ms | $ratio | $(( pm / 1024 )) MB |"
done
echo
echo "| command | time |"
echo "|---|---|"
{ read -r v; read -r t; } < <(times "$PENMARK" --version --- true)
echo "| penmark --version | $v ms |"
echo "| true | $t ms |"
if command -v potrace >/dev/null; then
  /usr/bin/python3 - "$SIGNATURE" "$TMP/s.bmp" <<'PY'
import sys
from PIL import Image
Image.open(sys.argv[1]).convert("1").save(sys.argv[2])
PY
  { read -r pt; read -r po; } < <(times "$PENMARK" trace "$SIGNATURE" -o "$TMP/s.svg" --- \
    potrace -s "$TMP/s.bmp" -o "$TMP/p.svg")
  echo "| penmark trace signature.tif | $pt ms |"
  echo "| potrace signature (as BMP) | $po ms |"
else
  echo "| penmark trace signature.tif | $(times "$PENMARK" trace "$SIGNATURE" -o "$TMP/s.svg") ms |"
fi

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

# Median seconds and peak kilobytes of RUNS runs of a command, as "seconds kb".
measure() {
  local times=() mems=()
  for _ in $(seq "$RUNS"); do
    /usr/bin/time -f "%e %M" -o "$TMP/t" "$@" >/dev/null 2>&1 || true
    read -r t m <"$TMP/t"
    times+=("$t"); mems+=("$m")
  done
  local mt mm
  mt=$(printf '%s\n' "${times[@]}" | sort -g | sed -n "$(( (RUNS + 1) / 2 ))p")
  mm=$(printf '%s\n' "${mems[@]}" | sort -g | sed -n "$(( (RUNS + 1) / 2 ))p")
  echo "$mt $mm"
}

# GNU time prints hundredths; the short commands are timed again with date for milliseconds.
ms() {
  local best=()
  for _ in $(seq "$RUNS"); do
    local a b
    a=$(date +%s%N); "$@" >/dev/null 2>&1 || true; b=$(date +%s%N)
    best+=($(( (b - a) / 1000 )))
  done
  printf '%s\n' "${best[@]}" | sort -n | sed -n "$(( (RUNS + 1) / 2 ))p" | awk '{printf "%.1f", $1 / 1000}'
}

echo "| font | penmark build | fontTools, same job | cp | ratio | penmark peak memory |"
echo "|---|---|---|---|---|---|"
for font in /usr/share/fonts/truetype/droid/DroidSansFallbackFull.ttf \
            /usr/share/fonts/opentype/ipafont-gothic/ipag.ttf \
            /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf; do
  [ -r "$font" ] || continue
  p=$(ms "$PENMARK" build --font "$font" --image "$SIGNATURE" --char U+E000 -o "$TMP/p.ttf")
  read -r _ pm < <(measure "$PENMARK" build --font "$font" --image "$SIGNATURE" --char U+E000 -o "$TMP/p.ttf")
  f=$(ms /usr/bin/python3 bench/fonttools_build.py "$font" "$TMP/f.ttf")
  c=$(ms cp "$font" "$TMP/c.ttf")
  size=$(( $(stat -c %s "$font") / 1024 ))
  ratio=$(awk -v a="$f" -v b="$p" 'BEGIN { printf "%.0fx", a / b }')
  echo "| $(basename "$font") ($size KB) | $p ms | $f ms | $c ms | $ratio | $(( pm / 1024 )) MB |"
done
echo
echo "| command | time |"
echo "|---|---|"
echo "| penmark --version | $(ms "$PENMARK" --version) ms |"
echo "| true | $(ms true) ms |"
echo "| penmark trace signature.tif | $(ms "$PENMARK" trace "$SIGNATURE" -o "$TMP/s.svg") ms |"
if command -v potrace >/dev/null && command -v tiffcp >/dev/null; then
  convert_bmp() { /usr/bin/python3 - "$SIGNATURE" "$TMP/s.bmp" <<'PY'
import sys
from PIL import Image
Image.open(sys.argv[1]).convert("1").save(sys.argv[2])
PY
  }
  /usr/bin/python3 -c "import PIL" 2>/dev/null && convert_bmp && \
    echo "| potrace signature (as BMP) | $(ms potrace -s "$TMP/s.bmp" -o "$TMP/p.svg") ms |"
fi

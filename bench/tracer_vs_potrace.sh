#!/usr/bin/env bash
# Side by side with potrace (Debian package potrace, default settings) on the same
# signature-like pictures, written as PBM by bench_tracer.
#
#   bench/tracer_vs_potrace.sh [path/to/bench_tracer] [runs]
#
# Both are timed as the best of `runs`: our trace in process (the picture is already in
# memory), potrace as a whole command (reading the PBM and writing SVG included); the
# "net" column takes off potrace's own start-up, timed on a 1 x 1 picture.
# Segments: our line and curve nodes; potrace's SVG path segments (l and c groups).
set -euo pipefail
BENCH=${1:-build/release/bench/bench_tracer}
RUNS=${2:-10}
command -v potrace >/dev/null || { echo "potrace is missing: apt-get install potrace" >&2; exit 1; }
[ -x "$BENCH" ] || { echo "no bench_tracer at $BENCH (build a Release tree first)" >&2; exit 1; }

DIR=$(mktemp -d)
trap 'rm -rf "$DIR"' EXIT
"$BENCH" --compare "$DIR" "$RUNS" > "$DIR/ours.txt"

/usr/bin/python3 - "$DIR" "$RUNS" <<'PY'
import re, subprocess, sys, time
folder, runs = sys.argv[1], int(sys.argv[2])

def potrace_segments(svg):
    count = 0
    for d in re.findall(r' d="([^"]*)"', open(svg).read()):
        tokens = re.findall(r'[A-Za-z]|-?[0-9.]+', d)
        command, numbers = None, 0
        for tok in tokens + ['m']:
            if tok.isalpha():
                if command in ('c', 'C'):
                    count += numbers // 6
                elif command in ('l', 'L'):
                    count += numbers // 2
                elif command in ('m', 'M'):
                    count += max(0, numbers // 2 - 1)  # extra pairs after a move are lines
                command, numbers = tok, 0
            else:
                numbers += 1
    return count

def best_potrace_ms(pbm, svg):
    best = 1e30
    for _ in range(runs):
        t0 = time.perf_counter()
        subprocess.run(["potrace", "-s", pbm, "-o", svg], check=True)
        best = min(best, (time.perf_counter() - t0) * 1000)
    return best

with open(f"{folder}/tiny.pbm", "wb") as f:
    f.write(b"P4\n1 1\n\x00")
startup = best_potrace_ms(f"{folder}/tiny.pbm", f"{folder}/tiny.svg")

print(f"potrace start-up on a 1 x 1 picture: {startup:.2f} ms")
print(f"{'picture':<24}{'ours ms':>10}{'potrace ms':>12}{'net ms':>9}{'ratio':>8}{'net ratio':>11}"
      f"{'our segs':>10}{'potrace segs':>14}{'seg ratio':>11}")
for line in open(f"{folder}/ours.txt"):
    pbm, ms, segs, nodes = line.split()
    svg = pbm[:-4] + ".svg"
    best = best_potrace_ms(pbm, svg)
    net = max(best - startup, 1e-3)
    theirs = potrace_segments(svg)
    name = pbm.rsplit("/", 1)[1][:-4]
    print(f"{name:<24}{float(ms):>10.2f}{best:>12.2f}{net:>9.2f}{float(ms) / best:>8.3f}"
          f"{float(ms) / net:>11.3f}{int(segs):>10}{theirs:>14}{int(segs) / theirs:>11.3f}")
PY

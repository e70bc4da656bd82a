#!/usr/bin/env bash
# Side by side with potrace (Debian package potrace, default settings) on the signature
# set of tests/tracer/SignatureSet.h, written as PBM by bench_tracer: time, segments and
# fidelity for our classic tracing (TraceParams as it comes), our faithful tracing (the
# document's) and potrace.
#
#   bench/tracer_vs_potrace.sh [path/to/bench_tracer] [runs]
#
# Times are medians of `runs`: ours in process (the picture already in memory) and as a
# whole process (`penmark trace` of the same picture as TIFF to SVG, the faithful
# tracing, when the CLI is built beside the benchmark), potrace as a whole command (reading the PBM and writing SVG); "net" takes
# off potrace's own start-up, timed on a 1 x 1 picture.
# Segments: our line and curve nodes; potrace's SVG path segments (l and c groups).
# IoU: the filled tracing against the picture's ink at 4x supersampling, each tracing at
# its best quarter-pixel offset, never rescaled (tests/tracer/TraceIoU.h).
set -euo pipefail
BENCH=${1:-build/release/bench/bench_tracer}
RUNS=${2:-11}
command -v potrace >/dev/null || { echo "potrace is missing: apt-get install potrace" >&2; exit 1; }
[ -x "$BENCH" ] || { echo "no bench_tracer at $BENCH (build a Release tree first)" >&2; exit 1; }
CLI=$(dirname "$BENCH")/../src/cli/penmark

DIR=$(mktemp -d)
trap 'rm -rf "$DIR"' EXIT
"$BENCH" --fidelity "$DIR" "$RUNS" > "$DIR/ours.txt"

/usr/bin/python3 - "$DIR" "$RUNS" "$BENCH" "$CLI" <<'PY'
import os, statistics, subprocess, sys, time
folder, runs, bench, cli = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4]

def median_ms(command):
    times = []
    for _ in range(runs):
        t0 = time.perf_counter()
        subprocess.run(command, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        times.append((time.perf_counter() - t0) * 1000)
    return statistics.median(times)

with open(f"{folder}/tiny.pbm", "wb") as f:
    f.write(b"P4\n1 1\n\x00")
startup = median_ms(["potrace", "-s", f"{folder}/tiny.pbm", "-o", f"{folder}/tiny.svg"])
have_cli = os.access(cli, os.X_OK)

print(f"potrace start-up on a 1 x 1 picture: {startup:.2f} ms; medians of {runs} runs")
print("| picture | IoU classic / faithful / potrace | segments classic / faithful / potrace "
      "| in-process ms classic / faithful | potrace ms (net) |" + (" penmark trace ms |" if have_cli else ""))
print("|---|---|---|---|---|" + ("---|" if have_cli else ""))
for line in open(f"{folder}/ours.txt"):
    pbm, name, ms0, seg0, iou0, ms1, seg1, iou1 = line.rstrip("\n").split("\t")
    svg = pbm[:-4] + ".svg"
    theirs_ms = median_ms(["potrace", "-s", pbm, "-o", svg])
    iou_p, seg_p = subprocess.run([bench, "--score-potrace", pbm, svg], check=True,
                                  capture_output=True, text=True).stdout.split()
    row = (f"| {name} | {float(iou0):.3f} / {float(iou1):.3f} / {float(iou_p):.3f} "
           f"| {seg0} / {seg1} / {seg_p} | {float(ms0):.2f} / {float(ms1):.2f} "
           f"| {theirs_ms:.2f} ({max(theirs_ms - startup, 0):.2f}) |")
    if have_cli:
        row += f" {median_ms([cli, 'trace', pbm[:-4] + '.tif', '-o', pbm[:-4] + '.ours.svg']):.2f} |"
    print(row)
PY

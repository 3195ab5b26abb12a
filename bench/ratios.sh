#!/bin/sh
# Runs the benchmarks that come in a Default and a Heavy variant, and the references, once
# (in one run of the benchmark program), then prints one line per pair: the Heavy / Default
# ratio of each step, named by the step, FullRedrawDefault / Memcpy1MiB, the full redraw of
# the heavy track against the literal pass on it, and the view window's paint at each
# magnification / MemcpyViewPixels, as `NAME RATIO`. A ratio held to a limit is followed by
# the absolute figure and whether it is within the limits (reported, not enforced: timings
# are measured, never asserted, and this machine's speed can change by half from one hour to
# the next).
# The benchmark program's own table goes to standard error.
#
#   bench/ratios.sh [path/to/coursesmith_bench [benchmark options...]]
#
# COURSESMITH_LITERAL_OVERLAYS=1 in the environment measures the literal overlay pass.
set -eu

bench=${1:-build/release/bench/coursesmith_bench}
[ $# -gt 0 ] && shift
steps='FullRedraw|TarmacStep|HeightAdjustStep|AiRopeMove|PendingObjectFollow|CheckpointDrag|DeleteObject|UndoStroke|RedoStroke'
json=$(mktemp)
trap 'rm -f "$json"' EXIT INT TERM

"$bench" --benchmark_filter="^BM_(Memcpy1MiB|MemcpyViewPixels|PaintView[124]x|FullRedrawHeavyLiteral|($steps)(Default|Heavy))\$" \
    --benchmark_out="$json" --benchmark_out_format=json "$@" >&2

python3 - "$json" "$steps" <<'PY'
import json, sys

to_ns = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}
with open(sys.argv[1]) as f:
    runs = json.load(f)["benchmarks"]
times = {}
for run in runs:
    if run.get("run_type", "iteration") != "iteration" or run.get("error_occurred"):
        continue
    name = run["name"].removeprefix("BM_")
    times[name] = run["real_time"] * to_ns[run["time_unit"]]

pairs = [(step, step + "Heavy", step + "Default") for step in sys.argv[2].split("|")]
pairs.append(("FullRedrawDefault/Memcpy1MiB", "FullRedrawDefault", "Memcpy1MiB"))
pairs.append(("FullRedrawHeavy/FullRedrawHeavyLiteral", "FullRedrawHeavy", "FullRedrawHeavyLiteral"))
pairs += [(f"PaintView{m}x/MemcpyViewPixels", f"PaintView{m}x", "MemcpyViewPixels")
          for m in (1, 2, 4)]
# The limits some ratios are held to, with the absolute figure of the first benchmark of the
# pair in milliseconds: a pair over either is marked "over".
limits = {"FullRedrawHeavy/FullRedrawHeavyLiteral": (0.5, 16.0)}
missing = sorted({m for _, a, b in pairs for m in (a, b) if m not in times})
for label, over, under in pairs:
    if over in times and under in times:
        ratio = times[over] / times[under]
        line = f"{label} {ratio:.2f}"
        if label in limits:
            most, most_ms = limits[label]
            ms = times[over] / 1e6
            state = "over" if ratio > most or ms > most_ms else "within"
            line += f" ({over} {ms:.1f} ms; limits {most:.2f} and {most_ms:.0f} ms: {state})"
        print(line)
if missing:
    print("missing benchmarks: " + " ".join(missing), file=sys.stderr)
    sys.exit(1)
PY

#!/usr/bin/env bash
# Benchmark of the engine's expansion under Wine (x86_64): generates two
# nested trees (10,000 folders of 10 files, and twice that) and two flat
# folders (20,000 subfolders, and twice that) under /tmp, then runs
# expand_bench on each. Not a test: it prints timings.
# Each line gives the median of the runs per side and the median ratio to
# the bare walk with its spread; "plan" is the preview's plan of a Copy of
# the same files, "plan+rows" adds the rows (a look at each source and target),
# "first-rows" is the time until the plan handed over the first entries it
# found (when a preview shows its first, provisional rows), "first-request"
# the time until it recorded its first request (when the request's own rows
# can show).
# Usage: scripts/bench-expand.sh [x86_64|i686] [runs]   (default x86_64, 5 runs)
set -euo pipefail
source "$(dirname "$0")/bench-common.sh"
arch=${1:-x86_64}
runs="${2:-5}"
data=/tmp/ferrovane-bench
bench_prepare "$arch" expand_bench

python3 - "$data" <<'PY'
import os, sys
data = sys.argv[1]
def nested(name, top):
    root = os.path.join(data, name)
    if os.path.isdir(root): return
    for a in range(top):
        for b in range(100):
            d = os.path.join(root, "d%03d" % a, "e%03d" % b)
            os.makedirs(d)
            for k in range(10):
                open(os.path.join(d, "f%d.%s" % (k, "txt" if k % 2 else "dat")), "w").close()
def flat(name, count):
    root = os.path.join(data, name)
    if os.path.isdir(root): return
    for a in range(count):
        d = os.path.join(root, "s%05d" % a)
        os.makedirs(d)
        open(os.path.join(d, "x.txt"), "w").close()
nested("nested100k", 100)
nested("nested200k", 200)
flat("flat20k", 20000)
flat("flat40k", 40000)
PY

for tree in nested100k nested200k flat20k flat40k; do
  "$(wine_loader "$arch")" "$BENCH_EXE" "Z:\\tmp\\ferrovane-bench\\$tree" "$runs"
done

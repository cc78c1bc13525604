#!/usr/bin/env bash
# Benchmark of the engine's expansion under Wine (x86_64): generates two
# nested trees (10,000 folders of 10 files, and twice that) and two flat
# folders (20,000 subfolders, and twice that) under /tmp, then runs
# expand_bench on each. Not a test: it prints timings.
# Usage: scripts/bench-expand.sh [build folder] [runs]
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$here/build/engine-x64}" && pwd)"
runs="${2:-3}"
data=/tmp/ferrovane-bench
cmake --build "$build" --target expand_bench -j2 >/dev/null

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

source "$here/scripts/wine-env.sh"
prefix="$build/wineprefix"
wine_prefix_ready x86_64 "$prefix" >/dev/null 2>&1 || true
for tree in nested100k nested200k flat20k flat40k; do
  WINEPREFIX="$prefix" WINEDEBUG=-all /usr/lib/wine/wine64 "$build/tests/engine/expand_bench.exe" \
    "Z:\\tmp\\ferrovane-bench\\$tree" "$runs"
done

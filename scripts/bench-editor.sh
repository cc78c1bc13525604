#!/usr/bin/env bash
# The edit sheet's start-up in the description view: time from EditCommandW
# to the sheet's first paint and to the command page's activation timer
# "Complete", for a command of 1 and of 1,000 sources (needs a display:
# runs under xvfb-run).
# Usage: scripts/bench-editor.sh [x86_64|i686]   (one process per command size)
# BENCH_BUILD_DIR=build/x86_64 reuses an existing build instead of build/bench-ARCH.
set -euo pipefail
source "$(dirname "$0")/bench-common.sh"
arch=${1:-x86_64}
[ $# -gt 0 ] && shift
if [ -n "${BENCH_BUILD_DIR:-}" ]; then
  BENCH_BUILD=$(cd "$BENCH_BUILD_DIR" && pwd)
  cmake --build "$BENCH_BUILD" -j2 --target editor_bench >/dev/null
  wine_prefix_ready "$arch" "$BENCH_BUILD/wineprefix"
  export WINEPREFIX="$BENCH_BUILD/wineprefix"
  BENCH_EXE="$BENCH_BUILD/tests/bench/editor_bench.exe"
else
  bench_prepare "$arch" editor_bench
fi
WINEPREFIX=$WINEPREFIX wineserver -w || true
for sources in 1 1000; do
  WINEDEBUG=-all xvfb-run -a "$(wine_loader "$arch")" "$BENCH_EXE" 1 "$sources" 2>/dev/null | tail -n 1
done

#!/usr/bin/env bash
# Held-mode throughput of the trace log against a bare WriteFile loop: five
# interleaved pairs of at least a second a side in one run; prints each pair,
# the median ratio with its spread and the cost per line of each side, in
# processor time (the figure to go by on a shared machine) and wall time.
# Usage: scripts/bench-trace.sh [x86_64|i686] [folder]   (default x86_64, the
# prefix's temp folder; e.g. 'Z:\dev\shm' leaves the disk out)
set -euo pipefail
source "$(dirname "$0")/bench-common.sh"
arch=${1:-x86_64}
[ $# -gt 0 ] && shift
bench_prepare "$arch" trace_bench
"$(wine_loader "$arch")" "$BENCH_EXE" "$@"

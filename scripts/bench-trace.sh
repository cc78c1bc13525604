#!/usr/bin/env bash
# Held-mode throughput of the trace log against a bare WriteFile loop.
# Usage: scripts/bench-trace.sh [x86_64|i686]   (default x86_64)
set -euo pipefail
source "$(dirname "$0")/bench-common.sh"
arch=${1:-x86_64}
[ $# -gt 0 ] && shift
bench_prepare "$arch" trace_bench
"$(wine_loader "$arch")" "$BENCH_EXE" "$@"

#!/usr/bin/env bash
# Overhead of a copy run through CTaskel::Run over one bare SHFileOperationW call.
# Usage: scripts/bench-runner.sh [x86_64|i686] [files]   (default x86_64, 10000 files)
set -euo pipefail
source "$(dirname "$0")/bench-common.sh"
arch=${1:-x86_64}
[ $# -gt 0 ] && shift
bench_prepare "$arch" runner_bench
"$(wine_loader "$arch")" "$BENCH_EXE" "$@"

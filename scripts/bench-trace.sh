#!/usr/bin/env bash
# Held-mode throughput of the trace log against a bare WriteFile loop.
# Usage: scripts/bench-trace.sh [x86_64|i686]   (default x86_64)
# Builds into build/bench-<arch> and runs trace_bench there under Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
arch=${1:-x86_64}
[ $# -gt 0 ] && shift
source "$root/scripts/wine-env.sh"
build="$root/build/bench-$arch"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$arch.cmake" >/dev/null
cmake --build "$build" -j2 --target trace_bench >/dev/null
if ! can_run_arch "$arch"; then
  echo "this machine cannot start $arch Wine programs; trace_bench built but not run" >&2
  exit 1
fi
wine_prefix_ready "$arch" "$build/wineprefix"
export WINEPREFIX="$build/wineprefix"
"$(wine_loader "$arch")" "$build/tests/bench/trace_bench.exe" "$@"

#!/usr/bin/env bash
# Overhead of a copy run through CTaskel::Run over one bare SHFileOperationW call.
# Usage: scripts/bench-runner.sh [x86_64|i686] [files]   (default x86_64, 10000 files)
# Builds into build/bench-<arch> and runs runner_bench there under Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
arch=${1:-x86_64}
[ $# -gt 0 ] && shift
source "$root/scripts/wine-env.sh"
build="$root/build/bench-$arch"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$arch.cmake" >/dev/null
cmake --build "$build" -j2 --target runner_bench >/dev/null
if ! can_run_arch "$arch"; then
  echo "this machine cannot start $arch Wine programs; runner_bench built but not run" >&2
  exit 1
fi
wine_prefix_ready "$arch" "$build/wineprefix"
export WINEPREFIX="$build/wineprefix"
"$(wine_loader "$arch")" "$build/tests/bench/runner_bench.exe" "$@"

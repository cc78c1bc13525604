#!/usr/bin/env bash
# Builds both architectures and runs the whole test suite under Wine.
# Usage: scripts/test.sh            (exits non-zero on any failure)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
source "$root/scripts/wine-env.sh"

status=0
for arch in i686 x86_64; do
  build="$root/build/$arch"
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$arch.cmake" >/dev/null
  cmake --build "$build"
done
for arch in i686 x86_64; do
  build="$root/build/$arch"
  echo "== tests ($arch) =="
  if ! can_run_arch "$arch"; then
    # Some machines (kernels without 32-bit support) cannot start 32-bit
    # Wine at all: the build is still checked, and only the checks that
    # need no Wine run.
    echo "!! $arch: this machine cannot start $arch programs under Wine; running only the checks that need no Wine"
    if ! ctest --test-dir "$build" --output-on-failure -L native; then status=1; fi
    continue
  fi
  wine_prefix_ready "$arch" "$build/wineprefix"
  export WINEPREFIX="$build/wineprefix"
  if ! ctest --test-dir "$build" --output-on-failure; then status=1; fi
  # What a passing test left out on this machine (lines starting "!! ",
  # such as the installer test's 32-bit prefix), which ctest does not show.
  grep -h '^!! ' "$build/Testing/Temporary/LastTest.log" 2>/dev/null || true
  wineserver -k 2>/dev/null || true
done
# Both fuzz targets, the stream codec and the compound file check, natively
# with the sanitizers, for a short while shared between them (FUZZ_SECONDS=0
# skips them); each prints its own "Done N runs" line.
if [ "${FUZZ_SECONDS:-60}" -gt 0 ]; then
  echo "== fuzz (stream codec and compound file check, ${FUZZ_SECONDS:-60} s in all) =="
  if bash "$root/scripts/fuzz.sh" "${FUZZ_SECONDS:-60}" > "$root/build/fuzz.log" 2>&1; then
    grep -E '^Done [0-9]+ runs' "$root/build/fuzz.log" || tail -n 1 "$root/build/fuzz.log"
  else
    tail -n 40 "$root/build/fuzz.log"
    echo "fuzz: a finding or a failure (build/fuzz.log)"
    status=1
  fi
fi
exit $status

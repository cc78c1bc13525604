# Sourced by the benchmark scripts: builds one benchmark program in a Release
# build of its own (build/bench-ARCH) and prepares that build's Wine prefix.
# bench_prepare ARCH TARGET sets BENCH_BUILD, BENCH_EXE and WINEPREFIX, or
# fails when this machine cannot start ARCH programs under Wine.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$root/scripts/wine-env.sh"

bench_prepare() {
  local arch=$1 target=$2
  BENCH_BUILD="$root/build/bench-$arch"
  cmake -S "$root" -B "$BENCH_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$arch.cmake" >/dev/null
  cmake --build "$BENCH_BUILD" -j2 --target "$target" >/dev/null
  if ! can_run_arch "$arch"; then
    echo "this machine cannot start $arch Wine programs; $target built but not run" >&2
    return 1
  fi
  wine_prefix_ready "$arch" "$BENCH_BUILD/wineprefix"
  export WINEPREFIX="$BENCH_BUILD/wineprefix"
  BENCH_EXE=$(find "$BENCH_BUILD/tests" -name "$target.exe" | head -n 1)
}

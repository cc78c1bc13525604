#!/usr/bin/env bash
# The main job, end to end: installs what is missing, builds the launcher and
# the library, writes the example command files with the project's own
# persistence code (MakeExamples.exe), fills a demo folder with sample files,
# runs the real ZELK.EXE /run on the examples under Wine, and prints the
# folder before and after and the run's own log.
# Usage: scripts/demo.sh            (DEMO_BUILD=<folder> uses another build folder)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
source "$root/scripts/wine-env.sh"

# The 32-bit build is the one for 32-bit Windows, so it is preferred; but
# some kernels cannot start 32-bit programs at all (32-bit Wine fails with
# "Exec format error"), and there the x86_64 build runs under the 64-bit
# loader /usr/lib/wine/wine64 instead.
if can_run_arch i686; then arch=i686; else arch=x86_64; fi
build=${DEMO_BUILD:-$root/build/$arch}
loader=$(wine_loader "$arch")
echo "== building ($arch, $build) =="
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$arch.cmake" >/dev/null
fi
cmake --build "$build" --target ZELK Taskel MakeExamples -j2 | tail -n 1
wine_prefix_ready "$arch" "$build/wineprefix"
export WINEPREFIX="$build/wineprefix"

# Windows path of a Linux path (Wine's Z: drive is the Linux root).
winpath() { printf 'Z:%s' "${1//\//\\}"; }

demo="$build/demo"
rm -rf "$demo"
mkdir -p "$demo"
echo "== example command files (MakeExamples.exe) =="
"$loader" "$build/tools/MakeExamples.exe" "$(winpath "$demo")"

cd "$demo"
mkdir -p logs/old Downloads photos temp reports
for f in logs/app.log logs/setup.log logs/old/2023.log logs/notes.txt \
         Downloads/manual.pdf Downloads/invoice.pdf Downloads/song.mp3 \
         photos/cat.jpeg photos/dog.jpeg photos/tree.png \
         temp/a.tmp temp/b.bak temp/keep.txt reports/q1.txt reports/q2.txt; do
  echo "sample $f" > "$f"
done

listing() { find . -type f ! -name '*.Taskel' ! -name run.log | sed 's|^\./||' | sort | sed 's/^/    /'; }
echo "== demo folder before ($demo) =="
listing

# Each command file gets the switches written before it: /s runs silently
# (no dialogs, tray icon or sound), /v adds the before/after listings, /l
# starts the run's own log afresh and /l+ appends to it, /lf.\run.log puts
# that log next to the command file, and /t makes the delete a trial run.
echo "== ZELK.EXE /run on the examples =="
"$loader" "$build/Taskel/ZELK.exe" /run \
  /s /l /v '/lf.\run.log' backup-logs.Taskel \
  /s /l+ /v '/lf.\run.log' tidy-downloads.Taskel \
  /s /l+ /v '/lf.\run.log' jpeg-to-jpg.Taskel \
  /s /t /l+ /v '/lf.\run.log' clean-temp.Taskel \
  /s /l+ /v '/lf.\run.log' archive-reports.Taskel

echo "== demo folder after =="
listing
echo "== the run's log ($demo/run.log) =="
tr -d '\r' < run.log
WINEPREFIX="$build/wineprefix" wineserver -k 2>/dev/null || true

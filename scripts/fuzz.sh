#!/usr/bin/env bash
# Builds the native libFuzzer targets with AddressSanitizer and
# UndefinedBehaviorSanitizer and runs them one after the other: the "Data"
# stream codec, then the structural check of compound file images. The
# seconds are split between them, half each (at least one second each).
# Usage: scripts/fuzz.sh [seconds (default 60)] [extra libFuzzer options...]
# (the extra options go to both targets)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
shift || true
half=$(( seconds / 2 > 0 ? seconds / 2 : 1 ))
out=build/fuzz
mkdir -p "$out/corpus" "$out/compound-corpus"
sanitize=(-fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined)

clang++ -std=c++17 -g -O1 "${sanitize[@]}" -ITaskel/document tests/fuzz/CodecFuzz.cpp \
  Taskel/document/TaskelCodec.cpp Taskel/document/TaskelOptions.cpp -o "$out/codec_fuzz"
clang++ -std=c++17 -g -O1 "${sanitize[@]}" -ITaskel/document tests/fuzz/CompoundFileFuzz.cpp \
  Taskel/document/CompoundFileCheck.cpp -o "$out/compound_fuzz"
# The compound target's seeds come from the test image builder, built and
# run natively here, so that no binary seed lives in the repository.
clang++ -std=c++17 -O1 -Itests/support tests/fuzz/CompoundSeed.cpp tests/support/CompoundImage.cpp \
  -o "$out/compound_seed"
"$out/compound_seed" "$out/compound-corpus"
# A seed of the codec: the Copy example stream.
printf '\x02\x00\x04\x80\x48\x02\x01\x00\x04\x00\x06\x00\x00\x00A\x00:\x00\x00\x00\x04\x00\x00\x00E\x00\x00\x00' \
  > "$out/corpus/copy"

echo "== codec_fuzz, $half s =="
"$out/codec_fuzz" -max_total_time="$half" -max_len=4096 "$@" "$out/corpus"
echo "== compound_fuzz, $half s =="
"$out/compound_fuzz" -max_total_time="$half" -max_len=16384 "$@" "$out/compound-corpus"

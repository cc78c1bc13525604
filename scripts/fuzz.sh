#!/usr/bin/env bash
# Builds the native libFuzzer target of the "Data" stream codec with
# AddressSanitizer and UndefinedBehaviorSanitizer and runs it.
# Usage: scripts/fuzz.sh [seconds (default 60)] [extra libFuzzer options...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
shift || true
out=build/fuzz
mkdir -p "$out/corpus"
clang++ -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -ITaskel/document tests/fuzz/CodecFuzz.cpp Taskel/document/TaskelCodec.cpp Taskel/document/TaskelOptions.cpp -o "$out/codec_fuzz"
# A seed: the Copy example stream.
printf '\x02\x00\x04\x80\x48\x02\x01\x00\x04\x00\x06\x00\x00\x00A\x00:\x00\x00\x00\x04\x00\x00\x00E\x00\x00\x00' \
  > "$out/corpus/copy"
exec "$out/codec_fuzz" -max_total_time="$seconds" -max_len=4096 "$@" "$out/corpus"

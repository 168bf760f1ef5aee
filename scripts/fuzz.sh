#!/usr/bin/env bash
# Builds the fuzzer of the search library's object creation with clang
# (libFuzzer and AddressSanitizer), writes a seed corpus of small pictures in
# many formats, and fuzzes for FUZZ_SECONDS (30 by default). Exits non-zero
# when the fuzzer finds a crash, a leak or a timeout, zero otherwise.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${FUZZ_BUILD_DIR:-$root/build-fuzz}
seconds=${FUZZ_SECONDS:-30}

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address -fno-omit-frame-pointer" \
  -DPEXORA_BUILD_APPS=OFF -DPEXORA_BUILD_TESTS=OFF -DPEXORA_BUILD_BENCH=OFF \
  -DPEXORA_BUILD_FUZZER=ON >/dev/null
cmake --build "$build" -j 2 --target pexora_create_object_fuzzer pexora_fuzz_seeds

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/seeds" "$work/corpus"
ASAN_OPTIONS=detect_leaks=0 "$build/bin/pexora_fuzz_seeds" "$work/seeds"

ASAN_OPTIONS=${ASAN_OPTIONS:-allocator_may_return_null=1} \
"$build/bin/pexora_create_object_fuzzer" "$work/corpus" "$work/seeds" \
  -max_total_time="$seconds" -timeout=60 -rss_limit_mb=3072 -max_len=262144 \
  -artifact_prefix="$build/" -print_final_stats=1

#!/usr/bin/env bash
# Builds the search library's two fuzzers with clang (libFuzzer and
# AddressSanitizer) and runs each for FUZZ_SECONDS (30 by default):
#   - object creation from arbitrary file bytes, from a seed corpus of small
#     pictures in many formats;
#   - comparison with process parameters made of arbitrary bytes, against
#     fixed objects, checking every result.
# Exits non-zero when a fuzzer finds a crash, a broken check, a leak or a
# timeout, zero otherwise. Extra arguments go to cmake.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${FUZZ_BUILD_DIR:-$root/build-fuzz}
seconds=${FUZZ_SECONDS:-30}

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address -fno-omit-frame-pointer" \
  -DPEXORA_BUILD_APPS=OFF -DPEXORA_BUILD_TESTS=OFF -DPEXORA_BUILD_BENCH=OFF \
  -DPEXORA_BUILD_FUZZER=ON "$@" >/dev/null
cmake --build "$build" -j 2 --target pexora_create_object_fuzzer pexora_compare_fuzzer pexora_fuzz_seeds

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/seeds" "$work/create" "$work/compare"
ASAN_OPTIONS=detect_leaks=0 "$build/bin/pexora_fuzz_seeds" "$work/seeds"

export ASAN_OPTIONS=${ASAN_OPTIONS:-allocator_may_return_null=1}
echo "== fuzzing object creation for $seconds s"
"$build/bin/pexora_create_object_fuzzer" "$work/create" "$work/seeds" \
  -max_total_time="$seconds" -timeout=60 -rss_limit_mb=3072 -max_len=262144 \
  -artifact_prefix="$build/create-" -print_final_stats=1
echo "== fuzzing comparison for $seconds s"
"$build/bin/pexora_compare_fuzzer" "$work/compare" \
  -max_total_time="$seconds" -timeout=60 -rss_limit_mb=3072 -max_len=256 \
  -artifact_prefix="$build/compare-" -print_final_stats=1

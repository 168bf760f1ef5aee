#!/usr/bin/env bash
# Rebuilds the sample-picture generator and writes the sample pictures and
# expected.txt into samples/ (or into the folder given as the first argument).
# The generator checks every pair it writes and fails when one does not work
# with its program's default settings.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-samples}
out=${1:-$root/samples}
cmake -S "$root" -B "$build" -DPEXORA_BUILD_APPS=OFF -DPEXORA_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j1 --target samplegen
"$build/bin/samplegen" "$out"

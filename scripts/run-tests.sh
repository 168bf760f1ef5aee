#!/usr/bin/env bash
# Sets everything up, builds and runs every test: the unit tests on Qt's
# offscreen platform, the end-to-end runs under Xvfb, and the search library's
# tests once more under AddressSanitizer.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
(cd "$root/build" && ctest --output-on-failure -j 2)
BUILD_DIR="$root/build-asan" "$root/scripts/build.sh" -DPEXORA_SANITIZE=ON -DPEXORA_BUILD_APPS=OFF -DPEXORA_BUILD_BENCH=OFF
(cd "$root/build-asan" && ctest --output-on-failure -j 2)

#!/usr/bin/env bash
# Sets everything up, checks the C/C++ formatting and the Python code (flake8),
# builds with warnings as errors, runs clang-tidy over the search library and
# runs every test: a short fuzzing run of the search library, its tests under
# AddressSanitizer, and then all tests: the unit tests on Qt's offscreen
# platform and the end-to-end runs under Xvfb.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/check-format.sh"
"$root/scripts/check-python.sh"
"$root/scripts/build.sh" -DPEXORA_WERROR=ON -DCMAKE_EXPORT_COMPILE_COMMANDS=ON
"$root/scripts/check-tidy.sh"
"$root/scripts/fuzz.sh" -DPEXORA_WERROR=ON
BUILD_DIR="$root/build-asan" "$root/scripts/build.sh" -DPEXORA_WERROR=ON \
  -DPEXORA_SANITIZE=ON -DPEXORA_BUILD_APPS=OFF -DPEXORA_BUILD_BENCH=OFF
(cd "$root/build-asan" && ctest --output-on-failure -j 2)
(cd "$root/build" && ctest --output-on-failure -j 2)

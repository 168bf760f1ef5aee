#!/usr/bin/env bash
# Fails on any finding of clang-tidy 14 (Debian 12's) with the checks of
# .clang-tidy over the search library's sources (pexora/src), compiled as in
# the build in build/ (or $BUILD_DIR), which must have been configured with
# -DCMAKE_EXPORT_COMPILE_COMMANDS=ON.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
clang_tidy=${CLANG_TIDY:-clang-tidy}
version=$("$clang_tidy" --version)
if [[ ! $version =~ version\ 14\. ]]; then
  echo "check-tidy.sh: needs clang-tidy 14, $clang_tidy is: $version" >&2
  exit 1
fi
if [ ! -f "$build/compile_commands.json" ]; then
  echo "check-tidy.sh: no $build/compile_commands.json; configure with -DCMAKE_EXPORT_COMPILE_COMMANDS=ON" >&2
  exit 1
fi
cd "$root"
status=0
git ls-files -z -- 'pexora/src/*.cpp' |
  xargs -0 -r -n1 -P"$(nproc)" "$clang_tidy" -p "$build" --quiet --warnings-as-errors='*' 2>&1 |
  { grep -v -E '^[0-9]+ warnings? (and [0-9]+ errors? )?generated\.$' || true; } || status=$?
if [ "$status" -ne 0 ]; then
  echo "check-tidy.sh: clang-tidy has findings (above)" >&2
  exit 1
fi
echo "clang-tidy: no findings in $(git ls-files -- 'pexora/src/*.cpp' | wc -l) sources of pexora/src"

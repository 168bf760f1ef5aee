#!/usr/bin/env bash
# Fails unless every tracked C and C++ file is formatted as .clang-format says,
# by clang-format 14 (Debian 12's): other versions format some code otherwise.
# Fix with: git ls-files -z -- '*.c' '*.cc' '*.cpp' '*.h' '*.hpp' | xargs -0 clang-format -i
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
clang_format=${CLANG_FORMAT:-clang-format}
version=$("$clang_format" --version)
if [[ ! $version =~ version\ 14\. ]]; then
  echo "check-format.sh: needs clang-format 14, $clang_format is: $version" >&2
  exit 1
fi
cd "$root"
git ls-files -z -- '*.c' '*.cc' '*.cpp' '*.h' '*.hpp' | xargs -0 -r "$clang_format" --dry-run -Werror
echo "formatting: $(git ls-files -- '*.c' '*.cc' '*.cpp' '*.h' '*.hpp' | wc -l) files as .clang-format says"

#!/usr/bin/env bash
# Fails unless every tracked Python file passes flake8 with the root's .flake8
# (lines up to 120 characters, as the C++ side), by flake8 5 (Debian 12's):
# other versions bring other pycodestyle and pyflakes checks.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
flake8=${FLAKE8:-flake8}
version=$("$flake8" --version)
if [[ ! $version =~ ^5\. ]]; then
  echo "check-python.sh: needs flake8 5, $flake8 is: $version" >&2
  exit 1
fi
cd "$root"
if ! git ls-files -z -- '*.py' | xargs -0 -r "$flake8"; then
  echo "check-python.sh: fix the lines above by hand (flake8 changes nothing), then check again with:" >&2
  echo "  git ls-files -z -- '*.py' | xargs -0 $flake8" >&2
  exit 1
fi
echo "python: $(git ls-files -- '*.py' | wc -l) files pass flake8"

#!/usr/bin/env bash
# Makes the README's screenshots of the three programs (at start and after a
# successful Compare) in a real window under Xvfb, into docs/screenshots/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$root/docs/screenshots"
for program in seekbasic seekscaled seekfiltered; do
  python3 "$root/tests/e2e/run_e2e.py" --bin "$root/build/bin" --samples "$root/samples" \
    --program "$program" --scenario screenshot --out "$root/docs/screenshots"
done

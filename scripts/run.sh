#!/usr/bin/env bash
# Sets everything up, builds, and starts one of the programs (seekbasic,
# seekscaled or seekfiltered; default seekbasic) in samples/, where its default
# pictures are.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
program=${1:-seekbasic}
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
cd "$root/samples"
exec "$root/build/bin/$program"

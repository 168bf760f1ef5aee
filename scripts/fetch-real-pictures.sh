#!/usr/bin/env bash
# Fetches pictures that nobody in this project made, for evaluations and
# benchmarks of the search library: the sample photographs of python3-skimage
# and the logos, emblems and theme pictures of desktop-base, taken straight
# from the Debian packages (downloaded, not installed). Nothing fetched here is
# committed.
#
# Usage: scripts/fetch-real-pictures.sh [DIR]   (default: build/real-pictures)
# Prints DIR. The folders below it keep the packages' own paths:
#   DIR/skimage/      the photographs (astronaut.png, coffee.png, chelsea.png, ...)
#   DIR/desktop-base/ logos, emblems with soft alpha, grub and login pictures
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-${REAL_PICTURES_DIR:-$root/build/real-pictures}}
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)

fetch() {  # package, folder inside the package, target folder name
  local package=$1 inside=$2 target=$3
  [ -d "$dir/$target" ] && [ -n "$(ls -A "$dir/$target")" ] && return 0
  local work
  work=$(mktemp -d)
  (cd "$work" && apt-get download "$package" >/dev/null 2>&1) ||
    { echo "cannot download $package (apt-get update may be needed)" >&2; rm -rf "$work"; exit 1; }
  dpkg-deb -x "$work"/"$package"_*.deb "$work/root"
  mkdir -p "$dir/$target"
  cp -r "$work/root/$inside/." "$dir/$target/"
  rm -rf "$work"
}

fetch python3-skimage usr/lib/python3/dist-packages/skimage/data skimage
fetch desktop-base usr/share desktop-base
echo "$dir"

#!/usr/bin/env bash
# Evaluates the search library's matching rules on pictures that nobody in
# this project made, old rules against new, and prints the table that
# docs/library.md carries: for each case, the tolerances at which the
# search-for picture is found at its true place and nowhere else.
#
#   - crops of python3-skimage's photographs, searched in their JPEG
#     re-encodings (ImageMagick, quality 70 and 90);
#   - crops of screenshots of the tutorial's own window under Xvfb, searched
#     in their JPEG re-encodings;
#   - desktop-base icons with soft alpha composited onto the photographs by
#     ImageMagick (some then saved as JPEG), searched with the _ALPHA types;
#   - the same icons scaled by ImageMagick, composited, and found by
#     stretching (20 x 20 .. 100 x 100, bilinear, as seekscaled does).
#
# Usage: scripts/evaluate-rules.sh [OLD_REVISION]
#   OLD_REVISION: the git revision whose library holds the old rules
#   (default 454e366, before accurate JPEG decoding, AHSL in chroma geometry,
#   alpha over any background and premultiplied stretching).
# Needs a full build in BUILD_DIR (default build/, with the tutorial programs
# for the screenshots); works in BUILD_DIR/rule-evaluation. Every difference
# tolerance is 5 % of the search-for picture's visible pixels (when
# stretching, of its smallest size, 20 x 20).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
old_revision=${1:-454e366}
work=$build/rule-evaluation
mkdir -p "$work/cases"
pictures=$("$root/scripts/fetch-real-pictures.sh" "$build/real-pictures")
photos=$pictures/skimage
icons=$pictures/desktop-base

# The library with the old rules, built from the old revision's sources.
old=$work/old-$old_revision
if [ ! -f "$old/build/bin/libpexora.so" ]; then
  rm -rf "$old"
  mkdir -p "$old/src"
  git -C "$root" archive "$old_revision" | tar -x -C "$old/src"
  cmake -S "$old/src" -B "$old/build" -DPEXORA_BUILD_APPS=OFF -DPEXORA_BUILD_TESTS=OFF \
    -DPEXORA_BUILD_BENCH=OFF >/dev/null
  cmake --build "$old/build" -j2 --target pexora >/dev/null
fi
cmake --build "$build" -j2 --target pexora pexora_rule_evaluation seekbasic seekscaled >/dev/null

c=$work/cases
list=$work/cases.tsv
: >"$list"

visible() {  # pixels with alpha above 0
  convert "$1" -alpha extract -threshold 0 -format "%[fx:round(mean*w*h)]" info:
}
add() {  # name kind search-in search-for x y width height [picture at the true size]
  local tolerance=$(($(visible "${9:-$4}") * 5 / 100))
  printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$1" "$2" "$3" "$4" "$5" "$6" "$7" "$8" "$tolerance" >>"$list"
}
crop_case() {  # name picture x y quality: a 50 x 40 crop searched in the picture's JPEG
  local name=$1 picture=$2 x=$3 y=$4 quality=$5
  local file=$c/${name//[^a-zA-Z0-9]/-}
  convert "$picture" -alpha off "PNG24:$file.png"
  convert "$file.png" -crop "50x40+$x+$y" +repage "PNG24:$file-crop.png"
  convert "$file.png" -quality "$quality" "$file-$quality.jpg"
  add "$name, JPEG $quality" plain "$file-$quality.jpg" "$file-crop.png" "$x" "$y" 50 40
}
composite_case() {  # name icon size photo x y [quality]: the icon at size composited at x, y
  local name=$1 icon=$2 size=$3 photo=$4 x=$5 y=$6 quality=${7:-}
  local file=$c/${name//[^a-zA-Z0-9]/-}
  local kind=alpha scaled=$file-icon.png counted=$file-icon.png
  if [ "$size" = "own" ]; then
    cp "$icon" "$scaled"
  else
    convert "$icon" -resize "${size}x${size}" "PNG32:$scaled"
    # The difference tolerance holds for every stretched size: 5 % of the smallest.
    convert "$icon" -resize 20x20 "PNG32:$file-smallest.png"
    counted=$file-smallest.png
    kind=stretch
  fi
  convert "$photo" -alpha off -crop 480x360+0+0 +repage "PNG24:$file-under.png"
  composite -geometry "+$x+$y" "$scaled" "$file-under.png" "PNG24:$file.png"
  local searched=$file.png label=$name
  if [ -n "$quality" ]; then
    convert "$searched" -quality "$quality" "$file.jpg"
    searched=$file.jpg
    label="$name, JPEG $quality"
  fi
  local w h
  read -r w h <<<"$(identify -format "%w %h" "$scaled")"
  add "$label" "$kind" "$searched" "$icon" "$x" "$y" "$w" "$h" "$counted"
}

for q in 70 90; do
  crop_case "astronaut" "$photos/astronaut.png" 150 360 $q
  crop_case "coffee" "$photos/coffee.png" 330 200 $q
  crop_case "chelsea" "$photos/chelsea.png" 150 95 $q
  crop_case "motorcycle" "$photos/motorcycle_left.png" 360 300 $q
  crop_case "camera (grey)" "$photos/camera.png" 270 140 $q
  crop_case "logo" "$photos/logo.png" 280 180 $q
done

# Screenshots of the tutorial's own window, taken under Xvfb.
shots=$work/screenshots
mkdir -p "$shots"
for program in seekbasic seekscaled; do
  [ -f "$shots/$program-found.png" ] ||
    python3 "$root/tests/e2e/run_e2e.py" --bin "$build/bin" --samples "$root/samples" \
      --program "$program" --scenario screenshot --out "$shots" >/dev/null
done
for q in 80 90; do
  crop_case "window: buttons" "$shots/seekbasic-start.png" 565 90 $q
  crop_case "window: R edit" "$shots/seekbasic-start.png" 88 115 $q
  crop_case "window: H edit" "$shots/seekscaled-start.png" 355 118 $q
  crop_case "window: log text" "$shots/seekbasic-found.png" 20 540 $q
  crop_case "window: preview" "$shots/seekbasic-found.png" 60 300 $q
done

security=$icons/pixmaps/debian-security.png
emblem=$icons/icons/hicolor/48x48/emblems/emblem-debian.png
lock=$icons/plymouth/themes/spacefun/lock.png
planet=$icons/plymouth/themes/spacefun/planet.png
composite_case "security icon on coffee" "$security" own "$photos/coffee.png" 131 77
composite_case "security icon on astronaut" "$security" own "$photos/astronaut.png" 200 150
composite_case "swirl emblem on chelsea" "$emblem" own "$photos/chelsea.png" 170 60
composite_case "swirl emblem on motorcycle" "$emblem" own "$photos/motorcycle_left.png" 90 121
composite_case "lock on astronaut" "$lock" own "$photos/astronaut.png" 250 30
composite_case "planet on coffee" "$planet" own "$photos/coffee.png" 60 100
composite_case "security icon on coffee" "$security" own "$photos/coffee.png" 131 77 90
composite_case "planet on chelsea" "$planet" own "$photos/chelsea.png" 100 70 90
composite_case "security icon 72 on coffee" "$security" 72 "$photos/coffee.png" 151 97
composite_case "security icon 36 on astronaut" "$security" 36 "$photos/astronaut.png" 201 150
composite_case "swirl emblem 60 on chelsea" "$emblem" 60 "$photos/chelsea.png" 170 60
composite_case "swirl emblem 90 on motorcycle" "$emblem" 90 "$photos/motorcycle_left.png" 100 80

"$build/bin/pexora_rule_evaluation" "$list" "old=$old/build/bin/libpexora.so" "new=$build/bin/libpexora.so"

#!/usr/bin/env bash
# Takes a screenshot of real X windows under Xvfb for the search benchmark: a
# calculator, a text editor showing the README, a clock and a logo on a black
# 1920 x 1080 screen (flat areas, text, many look-alike buttons). The benchmark
# searches it for the calculator's "sin" button, whose place is written beside
# it. Nothing made here is committed.
#
# Usage: scripts/make-benchmark-screenshot.sh [DIR]   (default: build/real-pictures)
# Writes DIR/screenshot/screen.png and DIR/screenshot/control.txt ("x y width
# height" of the button in the screen).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-${REAL_PICTURES_DIR:-$root/build/real-pictures}}/screenshot
mkdir -p "$dir"
display=:$((90 + RANDOM % 9))

Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
pids=($!)
cleanup() { kill "${pids[@]}" 2>/dev/null || true; }
trap cleanup EXIT
export DISPLAY=$display
for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done

# The calculator's window is placed at (760, 300); its "sin" button lies 48, 91
# pixels inside it with the default X resources.
xcalc -geometry +760+300 & pids+=($!)
xedit -geometry 620x520+80+90 "$root/README.md" & pids+=($!)
xclock -geometry 200x200+1560+80 & pids+=($!)
xlogo -geometry 180x180+1560+600 & pids+=($!)
for _ in $(seq 50); do xdotool search --class xcalc >/dev/null 2>&1 && break; sleep 0.1; done
sleep 1.5
import -window root "$dir/screen.png"
echo "808 391 44 30" > "$dir/control.txt"
echo "$dir"

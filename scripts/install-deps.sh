#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need.
# Runs as root (or through sudo); does nothing when everything is there.
set -euo pipefail
packages=(
  build-essential cmake g++-multilib clang libclang-rt-14-dev clang-format clang-tidy git
  qt6-base-dev libgl1-mesa-dev
  libfreeimage-dev libfreeimage3 libhwy-dev libgif-dev libjpeg-dev libtiff-dev
  libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev pkg-config libopencv-dev
  libxcb1-dev libxcb-shm0-dev
  xvfb xdotool xclip x11-apps x11-utils imagemagick openbox wmctrl
  fonts-dejavu-core fonts-liberation2
  python3 python3-venv python3-numpy python3-pytest python3-pil mypy flake8
  python3-dask python3-distributed
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}"
fi

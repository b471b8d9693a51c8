#!/usr/bin/env bash
# Installs the Debian packages Tilvex builds, tests and runs with; with the
# argument "package", also what `make package` uses. Does nothing when all are
# present; needs root (or sudo) otherwise.
set -euo pipefail

packages=(
    build-essential cmake g++ make pkg-config
    libgtest-dev libbenchmark-dev
    qt6-base-dev libgl-dev
    libcli11-dev nlohmann-json3-dev libpng-dev libopenexr-dev
    clang libclang-rt-14-dev
    libtbb-dev libsleef-dev
    libopenmpi-dev openmpi-bin
    libavcodec-dev libavformat-dev libavutil-dev libswscale-dev ffmpeg
    python3 python3-pil imagemagick netpbm
    pybind11-dev python3-dev python3-numpy python3-pytest
    xvfb xauth x11-utils xdotool fonts-dejavu-core
    desktop-file-utils appstream shared-mime-info libxml2-utils
)
# Packaging: dpkg-shlibdeps, the package check, and rsvg-convert to redraw the
# committed PNG icons from data/icons/tilvex.svg.
if [ "${1:-}" = package ]; then packages+=(dpkg-dev file lintian librsvg2-bin); fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"

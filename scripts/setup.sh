#!/usr/bin/env bash
# Installs what powerclamp needs on Debian 12 and builds it into build/.
# Usage: scripts/setup.sh [extra Debian packages...]
set -euo pipefail
cd "$(dirname "$0")/.."

# libxlsxwriter links zlib, but its package does not bring zlib's development files along.
packages=(build-essential cmake ninja-build pkgconf qt6-base-dev qt6-serialport-dev libxlsxwriter-dev zlib1g-dev "$@")
# The trend window: charts, and its SVG export.
packages+=(qt6-charts-dev qt6-svg-dev)

# The simulator's manual page is made from its --help.
packages+=(help2man)
missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${missing[@]}"
fi

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build

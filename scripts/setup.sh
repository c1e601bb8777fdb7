#!/usr/bin/env bash
# Installs what powerclamp needs on Debian 12 and builds it into build/.
# Usage: scripts/setup.sh [--target TARGET]... [extra Debian packages...]
# Without --target everything is built, the test suite included.
set -euo pipefail
cd "$(dirname "$0")/.."

targets=()
extra=()
while [ $# -gt 0 ]; do
    case "$1" in
        --target) targets+=(--target "$2"); shift 2 ;;
        *) extra+=("$1"); shift ;;
    esac
done

# libxlsxwriter links zlib, but its package does not bring zlib's development files along.
packages=(build-essential cmake ninja-build pkgconf qt6-base-dev qt6-serialport-dev libxlsxwriter-dev zlib1g-dev)
# The trend window: charts, and its SVG export.
packages+=(qt6-charts-dev qt6-svg-dev)
# The headless program: MQTT, the metrics endpoint, the service's readiness and watchdog.
# Qt HTTP Server's CMake files need Qt WebSockets' ones, which its package does not pull in.
packages+=(libmosquitto-dev qt6-httpserver-dev qt6-websockets-dev libsystemd-dev)
# The simulator's manual page is made from its --help.
packages+=(help2man)
packages+=("${extra[@]}")
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

cmake --preset default
cmake --build --preset default "${targets[@]}"

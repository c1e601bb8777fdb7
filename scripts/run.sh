#!/usr/bin/env bash
# Installs what is needed, builds, and starts powerclamp with the simulated meter as COM1.
# Extra arguments go to the simulator, e.g. scripts/run.sh --records 200
set -euo pipefail
cd "$(dirname "$0")/.."

# Only the window and the simulator: the test suite is not needed to try the program.
scripts/setup.sh --target powerclamp --target powerclamp-metersim fonts-wqy-microhei

workdir=$(mktemp -d)
simulator=""
cleanup() {
    [ -n "$simulator" ] && kill "$simulator" 2>/dev/null || true
    rm -rf "$workdir"
}
trap cleanup EXIT

build/tools/metersim/powerclamp-metersim --link "$workdir/meter" --records 7 "$@" >"$workdir/port" &
simulator=$!
for _ in $(seq 50); do
    [ -e "$workdir/meter" ] && break
    sleep 0.1
done
[ -e "$workdir/meter" ] || { echo "the meter simulator did not start" >&2; exit 1; }

POWERCLAMP_COM1="$workdir/meter" build/app/powerclamp

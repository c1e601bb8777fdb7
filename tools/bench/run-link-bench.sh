#!/usr/bin/env bash
# Builds what the link benchmark needs and prints its four figures:
#   1. the download of 200 records against the wire time of its frames (simulator paced at 9600 baud,
#      record count in its 8-byte form);
#   2. the delay from the last byte of a realtime answer to the captions changing;
#   3. the CPU use of the idle polling program over a minute;
#   4. a warm port look-up and a read of the system's port list.
# Environment: BUILD_DIR (default build-bench), RUNS (5), RECORDS (200), SAMPLES (40), IDLE_SECONDS (60).
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
build=${BUILD_DIR:-$root/build-bench}
runs=${RUNS:-5}
records=${RECORDS:-200}
samples=${SAMPLES:-40}
idle=${IDLE_SECONDS:-60}

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target powerclamp powerclamp-metersim powerclamp-linkbench >/dev/null

simulator=$build/tools/metersim/powerclamp-metersim
bench=$build/tools/bench/powerclamp-linkbench
program=$build/app/powerclamp

source "$(dirname "$0")/bench-processes.sh"
export QT_QPA_PLATFORM=offscreen LANG=C.UTF-8 LC_ALL=C.UTF-8 XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
# Only COM1 leads anywhere: no other number may reach a real serial device.
for port in $(seq 2 16); do
    export "POWERCLAMP_COM$port=/nonexistent/powerclamp-linkbench"
done

# Starts the simulator on $work/$1 with the remaining options; waits for its link to appear.
start_simulator() {
    local link=$work/$1
    shift
    "$simulator" --link "$link" "$@" >/dev/null 2>"$work/$(basename "$link").log" &
    started+=($!)
    for _ in $(seq 100); do
        [[ -e $link ]] && return 0
        sleep 0.05
    done
    echo "the simulator did not start" >&2
    exit 1
}

echo "== machine"
echo "nproc: $(nproc)"
lscpu | head -n 15
free -h | head -n 2
echo "load: $(cut -d" " -f1-3 /proc/loadavg) (other work on the machine skews the figures)"
echo "Qt: $(pkg-config --modversion Qt6Core 2>/dev/null || echo unknown), kernel $(uname -r)"
echo "commit: $(git -C "$root" rev-parse --short HEAD)$(git -C "$root" diff --quiet HEAD -- app link measure || echo ' (app/link/measure with local changes)')"

echo
echo "== 1. download of $records records, simulator paced at 9600 baud, 8-byte count, $runs runs"
start_simulator download-meter --records "$records" --pace --long-count
POWERCLAMP_COM1=$work/download-meter "$bench" download --runs "$runs" --records "$records" 2>"$work/download.err" ||
    { cat "$work/download.err" >&2; exit 1; }

echo
echo "== 2. realtime answer -> captions, in-process paced meter, $samples answers"
"$bench" realtime --samples "$samples" 2>"$work/realtime.err" || { cat "$work/realtime.err" >&2; exit 1; }

echo
echo "== 3. CPU of the idle polling program over $idle s (Realtime view, simulator paced at 9600 baud)"
start_simulator idle-meter --pace --verbose
POWERCLAMP_COM1=$work/idle-meter "$program" 2>"$work/program.err" &
app=$!
started+=("$app")
sleep 5 # discovery and the first polls
realtime_request='request A1 00 01 04 06 03 -> answer'
polls_before=$(grep -c "$realtime_request" "$work/idle-meter.log" || true)
ticks_before=$(cpu_ticks "$app")
start=$(date +%s.%N)
sleep "$idle"
ticks_after=$(cpu_ticks "$app")
end=$(date +%s.%N)
polls_after=$(grep -c "$realtime_request" "$work/idle-meter.log" || true)
hz=$(getconf CLK_TCK)
awk -v t0="$ticks_before" -v t1="$ticks_after" -v hz="$hz" -v s0="$start" -v s1="$end" \
    -v polls=$((polls_after - polls_before)) 'BEGIN {
        cpu = (t1 - t0) / hz; wall = s1 - s0;
        printf "idle: %.2f s CPU (utime+stime) in %.2f s = %.3f %% of a core, %d realtime polls answered (goal <= 1 %%)\n",
               cpu, wall, 100 * cpu / wall, polls }'
if ((polls_after - polls_before == 0)); then
    echo "the program did not poll the simulator" >&2
    exit 1
fi

echo
echo "== 4. port look-up in the session's port table, and a read of the system's list"
"$bench" ports --lookups 10000

#!/usr/bin/env bash
# Builds powerclamp-cli and the simulator and measures `powerclamp-cli log` polling the simulated
# meter (paced at 9600 baud): its CPU use over a span and its resident memory.
# Environment: BUILD_DIR (default build-bench), IDLE_SECONDS (300).
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
build=${BUILD_DIR:-$root/build-bench}
idle=${IDLE_SECONDS:-300}

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target powerclamp-cli powerclamp-metersim >/dev/null

simulator=$build/tools/metersim/powerclamp-metersim
program=$build/cli/powerclamp-cli

source "$(dirname "$0")/bench-processes.sh"
export LANG=C.UTF-8 LC_ALL=C.UTF-8
# Only port 1 leads anywhere: no other number may reach a real serial device.
ports=(--port "1=$work/meter")
for port in $(seq 2 16); do
    ports+=(--port "$port=/nonexistent/powerclamp-clibench")
done

echo "== machine"
echo "nproc: $(nproc), load: $(cut -d" " -f1-3 /proc/loadavg) (other work on the machine skews the figures)"
echo "Qt: $(pkg-config --modversion Qt6Core 2>/dev/null || echo unknown), kernel $(uname -r)"
echo "commit: $(git -C "$root" rev-parse --short HEAD)"

"$simulator" --link "$work/meter" --pace >/dev/null 2>"$work/meter.log" &
started+=($!)
for _ in $(seq 100); do
    [[ -e $work/meter ]] && break
    sleep 0.05
done

"$program" log --csv "$work/readings-%Y-%m-%d.csv" "${ports[@]}" 2>"$work/cli.err" &
cli=$!
started+=("$cli")
sleep 10 # discovery and the first polls
rows_before=$(cat "$work"/readings-*.csv | wc -l)
ticks_before=$(cpu_ticks "$cli")
start=$(date +%s.%N)
sleep "$idle"
ticks_after=$(cpu_ticks "$cli")
end=$(date +%s.%N)
rows_after=$(cat "$work"/readings-*.csv | wc -l)
rss=$(awk '/^VmRSS/ {print $2}' "/proc/$cli/status")
hwm=$(awk '/^VmHWM/ {print $2}' "/proc/$cli/status")
hz=$(getconf CLK_TCK)
echo
echo "== powerclamp-cli log over $idle s"
awk -v t0="$ticks_before" -v t1="$ticks_after" -v hz="$hz" -v s0="$start" -v s1="$end" \
    -v rows=$((rows_after - rows_before)) -v rss="$rss" -v hwm="$hwm" 'BEGIN {
        cpu = (t1 - t0) / hz; wall = s1 - s0;
        printf "CPU: %.2f s (utime+stime) in %.1f s = %.3f %% of a core (goal <= 0.3 %%), %d rows logged\n",
               cpu, wall, 100 * cpu / wall, rows
        printf "resident memory: %.1f MB now (VmRSS), %.1f MB at most (VmHWM) (goal <= 15 MB)\n",
               rss / 1024, hwm / 1024 }'
if ((rows_after == rows_before)); then
    echo "powerclamp-cli logged nothing:" >&2
    cat "$work/cli.err" >&2
    exit 1
fi
kill -TERM "$cli"
status=0
wait "$cli" || status=$?
started=("${started[@]:0:1}")
echo "exit status after SIGTERM: $status"

#!/usr/bin/env bash
# Measures powerclamp-cli log's network latency: from the last byte of a realtime answer on a
# 9600-baud line (a paced meter on a pseudo-terminal, which notes when it wrote that byte) to a
# subscriber receiving the answer's state message through Debian's mosquitto on loopback
# (mosquitto_sub's receipt time, %U). Needs mosquitto and mosquitto-clients.
# Environment: BUILD_DIR (default build-bench), ANSWERS (200), CSV (1: log to a CSV as well,
# each answer synced to the disk as the service does; 0: MQTT alone), WARMUP (5 answers left out).
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
build=${BUILD_DIR:-$root/build-bench}
answers=${ANSWERS:-200}
csv=${CSV:-1}
warmup=${WARMUP:-5}

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target powerclamp-cli powerclamp-pacedmeter >/dev/null

program=$build/cli/powerclamp-cli
meter=$build/tools/bench/powerclamp-pacedmeter
broker=$(command -v mosquitto || echo /usr/sbin/mosquitto)

source "$(dirname "$0")/bench-processes.sh"
export LANG=C.UTF-8 LC_ALL=C.UTF-8

echo "== machine"
echo "nproc: $(nproc), load: $(cut -d" " -f1-3 /proc/loadavg) (other work on the machine skews the figures)"
echo "mosquitto: $("$broker" -h | head -1), commit: $(git -C "$root" rev-parse --short HEAD)"

port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
printf 'listener %s 127.0.0.1\nallow_anonymous true\n' "$port" >"$work/mosquitto.conf"
"$broker" -c "$work/mosquitto.conf" >"$work/broker.log" 2>&1 &
started+=($!)
for _ in $(seq 100); do
    (echo >"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break
    sleep 0.05
done

mosquitto_sub -p "$port" -q 1 -t powerclamp/bench/state -F '%U %p' >"$work/received.txt" &
started+=($!)
"$meter" >"$work/meter.txt" &
started+=($!)
for _ in $(seq 100); do
    [[ -s $work/meter.txt ]] && break
    sleep 0.05
done
line=$(head -1 "$work/meter.txt")

# Only port 1 leads anywhere: no other number may reach a real serial device.
ports=(--port "1=$line")
for number in $(seq 2 16); do
    ports+=(--port "$number=/nonexistent/powerclamp-publishbench")
done
outputs=(--mqtt "127.0.0.1:$port" --name bench)
((csv)) && outputs+=(--csv "$work/readings-%Y-%m-%d.csv")
"$program" log "${outputs[@]}" "${ports[@]}" 2>"$work/cli.err" &
cli=$!
started+=("$cli")

echo "waiting for $answers state messages (one every 1.5 s)..."
while (($(wc -l <"$work/received.txt") < answers)); do
    if ! kill -0 "$cli" 2>/dev/null; then
        echo "powerclamp-cli ended:" >&2
        cat "$work/cli.err" >&2
        exit 1
    fi
    sleep 1
done
kill -TERM "$cli"
wait "$cli"
sleep 0.5

echo
echo "== last byte of an answer on the line -> its state message at the subscriber (CSV=$csv)"
# Each state message belongs to the latest answer whose last byte came before it: answers are
# 1.5 s apart, far more than any latency here.
awk -v warmup="$warmup" '
    FNR == NR { if ($1 == "answer") sent[n++] = $3; next }
    {
        split($1, t, "."); received = t[1] * 1e9 + substr(t[2] "000000000", 1, 9)
        while (i + 1 < n && sent[i + 1] <= received) ++i
        if (n == 0 || sent[i] > received) next
        if (++m > warmup) printf "%.3f\n", (received - sent[i]) / 1e6
    }' "$work/meter.txt" "$work/received.txt" | sort -n >"$work/latencies.txt"
awk -v warmup="$warmup" '
    { latency[++k] = $1 }
    END {
        if (k == 0) { print "no state message matched an answer"; exit 1 }
        printf "%d messages (after %d left out): median %.2f ms, 90 %% %.2f ms, max %.2f ms, min %.2f ms (goal: median <= 20 ms)\n",
               k, warmup, latency[int((k + 1) / 2)], latency[int(0.9 * k + 0.5)], latency[k], latency[1]
    }' "$work/latencies.txt"

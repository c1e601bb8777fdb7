# Sourced by the benchmark scripts: a scratch folder, the processes they start (ended on exit),
# and a process's CPU time.

work=$(mktemp -d)
started=()
cleanup() {
    local pid
    for pid in "${started[@]}"; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT

# utime + stime of a process, in clock ticks (fields 14 and 15 of /proc/PID/stat, counted after the name).
cpu_ticks() {
    local stat
    stat=$(<"/proc/$1/stat")
    stat=${stat##*) }
    read -r -a fields <<<"$stat"
    echo $((fields[11] + fields[12]))
}

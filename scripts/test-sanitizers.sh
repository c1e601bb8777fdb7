#!/usr/bin/env bash
# Builds the suite a second time with clang, AddressSanitizer and UndefinedBehaviorSanitizer
# into build-sanitizers/ and runs it there. Any sanitizer report fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh clang libclang-rt-14-dev >/dev/null

cmake --preset sanitizers >/dev/null
# The test programs (the install checks test packaging, not memory, and so does the check of
# the headless program's libraries). The line-speed, minute-long log and headless program's
# end-to-end tests spend their time waiting for the wire; the same code runs under the unit
# tests and the other end-to-end tests here.
skipped='^(tst_e2e_line|tst_e2e_log|tst_e2e_cli|tst_cli_needs_no_display)$'
tests=$(ctest --test-dir build-sanitizers -N | sed -n 's/^ *Test *#[0-9]*: //p' | grep '^tst_' | grep -Ev "$skipped")
# The test programs and the simulator they start, and the link's fuzz target; the program and the
# benchmark add nothing.
cmake --build --preset sanitizers --target $tests powerclamp-metersim fuzz_link_receive

export ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
ctest --test-dir build-sanitizers --output-on-failure --timeout 600 -R '^tst_' -E "$skipped"

# The link's receive path under the fuzzer for a minute, from the seeds in the tree. New inputs go
# to a scratch folder; an input that crashes or breaks a check is kept in build-sanitizers/fuzz/.
# Inputs take microseconds, so the default quarantine of freed blocks would hold most of a
# gigabyte within the minute; a small one still catches a block used after it was freed.
fuzzing=build-sanitizers/fuzz
rm -rf "$fuzzing/corpus"
mkdir -p "$fuzzing/corpus"
ASAN_OPTIONS=$ASAN_OPTIONS:quarantine_size_mb=32 build-sanitizers/tests/fuzz/fuzz_link_receive -max_total_time=60 -print_final_stats=1 \
    -artifact_prefix="$fuzzing/" "$fuzzing/corpus" tests/fuzz/corpus

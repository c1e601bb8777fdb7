#!/usr/bin/env bash
# Builds the suite a second time with clang, AddressSanitizer and UndefinedBehaviorSanitizer
# into build-sanitizers/ and runs it there. Any sanitizer report fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh clang libclang-rt-14-dev >/dev/null

cmake --preset sanitizers >/dev/null
# The test programs (the install checks test packaging, not memory). The line-speed and
# minute-long log end-to-end tests spend their time waiting for the wire; the same code runs
# under the unit tests and the other end-to-end test here.
skipped='^(tst_e2e_line|tst_e2e_log)$'
tests=$(ctest --test-dir build-sanitizers -N | sed -n 's/^ *Test *#[0-9]*: //p' | grep '^tst_' | grep -Ev "$skipped")
# The test programs and the simulator they start; the program and the benchmark add nothing.
cmake --build --preset sanitizers --target $tests powerclamp-metersim

export ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
ctest --test-dir build-sanitizers --output-on-failure --timeout 600 -R '^tst_' -E "$skipped"

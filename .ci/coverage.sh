#!/usr/bin/env bash
# Line and branch coverage of the library sources (src/) by the whole test
# suite. Builds an unoptimised instrumented copy in build-coverage/, runs
# ctest there and prints gcovr's per-file table and the totals.
#
#   .ci/coverage.sh            build, run, report
#   .ci/coverage.sh --report   report again from the last run
#
# Branch figures leave out the branches the compiler adds for exception
# unwinding and branches it proves unreachable (gcovr
# --exclude-throw-branches --exclude-unreachable-branches), so they count
# the decisions written in the code. Counters are updated atomically because
# some suites run the library from several threads at once.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build-coverage
jobs=${JOBS:-2}

if [[ "${1:-}" != "--report" ]]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DKALVORA_WERROR=ON \
    -DKALVORA_BUILD_BENCH=OFF \
    -DCMAKE_CXX_FLAGS="--coverage -O0 -fprofile-update=atomic" \
    -DCMAKE_EXE_LINKER_FLAGS=--coverage -DCMAKE_SHARED_LINKER_FLAGS=--coverage
  cmake --build "$build" -j"$jobs"
  find "$build" -name '*.gcda' -delete
  ctest --test-dir "$build" --output-on-failure -j"$jobs"
fi

# Per-file branch table, then the line, function and branch totals.
gcovr --root . --filter 'src/' \
  --exclude-throw-branches --exclude-unreachable-branches \
  --branches --print-summary "$build"

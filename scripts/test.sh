#!/usr/bin/env bash
# Set-up, sanitizer build (AddressSanitizer + UndefinedBehaviorSanitizer) and the whole test suite.
# Extra arguments go to ctest (for example: scripts/test.sh -L platform).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build-san -G Ninja -DSANITIZE=ON -DBUILD_BENCHMARKS=OFF -DCMAKE_BUILD_TYPE=Debug
cmake --build build-san -j "$jobs"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
ctest --test-dir build-san --output-on-failure -j "$jobs" "$@"

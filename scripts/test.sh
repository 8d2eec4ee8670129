#!/usr/bin/env bash
# Set-up, sanitizer build (AddressSanitizer + UndefinedBehaviorSanitizer) and the whole test suite,
# then the threaded tests again under ThreadSanitizer.
# Extra arguments go to the first ctest run (for example: scripts/test.sh -L platform).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
jobs=$(nproc 2>/dev/null || echo 2)
# Tests spend much of their time waiting on other threads and processes, so twice as many run at
# once as there are processors ($CTEST_JOBS sets it).
test_jobs=${CTEST_JOBS:-$((jobs * 2))}
# A compiler cache, where one is installed, serves the objects a build on this machine already
# made (paths taken relative to the clone, so any clone of the tree shares them).
launcher=()
if command -v ccache >/dev/null 2>&1; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=1
fi

cmake -S . -B build-san -G Ninja -DSANITIZE=ON -DBUILD_BENCHMARKS=OFF -DCMAKE_BUILD_TYPE=Debug "${launcher[@]}"
cmake --build build-san -j "$jobs"
# No symbolizing in the sanitizers: LeakSanitizer would read the debug information of every loaded
# object at each process's exit only to match the library leaks it is told to suppress by module
# (a fifth of the suite's processor time); tests/run_whole.sh symbolizes the frames of a report.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:symbolize=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
ctest --test-dir build-san --output-on-failure -j "$test_jobs" "$@"

# ThreadSanitizer: only the programs of threaded code (label `threads`).
cmake -S . -B build-tsan -G Ninja -DSANITIZE_THREAD=ON -DBUILD_BENCHMARKS=OFF -DCMAKE_BUILD_TYPE=Debug "${launcher[@]}"
cmake --build build-tsan -j "$jobs" --target threaded_tests
export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1}
ctest --test-dir build-tsan --output-on-failure -j "$test_jobs" -L threads

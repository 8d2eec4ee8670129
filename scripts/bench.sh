#!/usr/bin/env bash
# Builds the optimised tree (build-bench, Release) and runs every benchmark program, each with its
# repetitions; prints min and median of every benchmark and, where it has a peer, the peer's rate
# and the ratio ours / peer. Not run by CI.
#   scripts/bench.sh [filter]     (a regular expression on benchmark names, e.g. Registry)
# BENCH_JOBS: build jobs (4); BENCH_BUILD: the command that builds, given the build folder and
# cmake --build's arguments (default `cmake --build`; on a shared machine a wrapper that waits
# for a build slot). A program that fails is named and the others still run.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_BENCHMARKS=ON "${launcher[@]}" >/dev/null
read -r -a build <<< "${BENCH_BUILD:-cmake --build}"
"${build[@]}" build-bench -j "${BENCH_JOBS:-4}" --target benchmarks

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
filter=${1:-.}
failed=()
while read -r program; do
  [ -n "$program" ] || continue
  name=$(basename "$program")
  echo "== $name" >&2
  # Each program works in a temporary device folder of its own.
  if ! (cd "$out" && "$program" --benchmark_filter="$filter" --benchmark_out="$out/$name.json" \
          --benchmark_out_format=json >/dev/null); then
    echo "== $name failed" >&2
    failed+=("$name")
  fi
done < build-bench/bench-programs.txt

python3 "$root/scripts/bench_summary.py" "$out"/*.json
if [ ${#failed[@]} -gt 0 ]; then
  echo "failed: ${failed[*]}" >&2
  exit 1
fi

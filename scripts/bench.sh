#!/usr/bin/env bash
# Builds the optimised tree (build-bench, RelWithDebInfo) and runs every benchmark program, each
# with its repetitions; prints min and median of every benchmark and, where it has a peer, the
# peer's rate and the ratio ours / peer. Not run by CI.
#   scripts/bench.sh [filter]     (a regular expression on benchmark names, e.g. Registry)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_BENCHMARKS=ON "${launcher[@]}" >/dev/null
cmake --build build-bench -j "${BENCH_JOBS:-4}" --target benchmarks

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
filter=${1:-.}
while read -r program; do
  [ -n "$program" ] || continue
  name=$(basename "$program")
  echo "== $name" >&2
  # Each program works in a temporary device folder of its own.
  (cd "$out" && "$program" --benchmark_filter="$filter" --benchmark_out="$out/$name.json" \
     --benchmark_out_format=json >/dev/null)
done < build-bench/bench-programs.txt

python3 "$root/scripts/bench_summary.py" "$out"/*.json

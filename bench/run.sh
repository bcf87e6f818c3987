#!/bin/bash
# Builds what the benchmarks need (Release) and prints their table:
#   bash bench/run.sh [build directory, default build/bench]
# Figures are ratios taken within this one run; see bench/README.md for what each row means.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build_dir="${1:-$root/build/bench}"
jobs="${SWU_BENCH_JOBS:-2}"

cmake -S "$root" -B "$build_dir" -DCMAKE_BUILD_TYPE=Release -DSWU_BUILD_BENCH=ON >/dev/null
cmake --build "$build_dir" -j"$jobs" --target cimomd cimom-passwd bench_parse bench_load \
    bench_provider swu swu_demo >/dev/null
python3 "$root/bench/run_bench.py" --build-dir "$build_dir"

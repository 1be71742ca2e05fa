#!/bin/sh
# Builds the benchmarks (optimised, in build/bench) and runs them; prints one
# table per program. Up to 100,000 elements by default; --large (or
# QUARNEL_BENCH_LARGE=1) adds the 1,000,000-element project. Other arguments
# go to the benchmark programs (for example --benchmark_filter=Export).
# QUARNEL_BENCH_PROGRAMS picks the programs (default: both), so that an
# output file such as --benchmark_out=FILE is written by one program only;
# bench/report.py runs it that way.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(dirname "$here")
build_dir=${QUARNEL_BENCH_BUILD_DIR:-$source_dir/build/bench}
jobs=${QUARNEL_BENCH_JOBS:-2}
programs=${QUARNEL_BENCH_PROGRAMS:-bench_hostbench bench_stepsbench}

cmake -S "$source_dir" -B "$build_dir" -DCMAKE_BUILD_TYPE=Release -DQUARNEL_BENCH=ON -DQUARNEL_TESTS=OFF \
  -DQUARNEL_SANITIZE=OFF >/dev/null
cmake --build "$build_dir" --target $programs -j "$jobs" >/dev/null

for program in $programs; do
  echo
  echo "== $program"
  "$build_dir/bin/$program" --benchmark_counters_tabular=true "$@"
done

#!/bin/sh
# Installs what is missing, builds the benchmarks and runs them.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLORY_TESTS=OFF -DQUILLORY_BENCH=ON
cmake --build build-bench
if [ -z "${DISPLAY:-}" ]; then export QT_QPA_PLATFORM=offscreen; fi
for bench in build-bench/bench/bench_*; do
  echo "== $(basename "$bench")"
  "$bench"
done

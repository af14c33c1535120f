#!/usr/bin/env bash
# Builds the benchmarks optimised and runs them; every figure is a ratio to a baseline measured in
# the same run. Pass a benchmark name (protocol, dataset, grid, host, framework) to run only one.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
export QT_QPA_PLATFORM=offscreen
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQM_BENCH=ON -DQM_TESTS=OFF >/dev/null
cmake --build build-bench -j "$(nproc)"
# A benchmark whose figure misses its goal exits with 1; the others still run, and the misses are
# listed at the end.
missed=()
for exe in build-bench/bin/*_bench build-bench/bin/bench_*; do
  [ -x "$exe" ] || continue
  case "$(basename "$exe")" in *"${1:-}"*) ;; *) continue ;; esac
  echo "== $(basename "$exe")"
  "$exe" --benchmark_counters_tabular=true || missed+=("$(basename "$exe")")
done
if [ ${#missed[@]} -gt 0 ]; then
  echo "missed a goal or failed: ${missed[*]}" >&2
  exit 1
fi

#!/usr/bin/env bash
# Builds everything and runs every test: the full build, the core libraries under
# AddressSanitizer and UndefinedBehaviorSanitizer, and short libFuzzer smoke runs.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh test
export QT_QPA_PLATFORM=offscreen
jobs=${QM_JOBS:-$(nproc)}
# Reuse earlier compilations when ccache is there; the build does not need it.
config=(-DQM_WERROR=ON)
command -v ccache >/dev/null && config+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)

echo "== format"
bash scripts/format.sh --check

echo "== core libraries under ASan and UBSan"
cmake -S . -B build-asan -G Ninja "${config[@]}" -DQM_UI=OFF -DQM_SANITIZE=ON -DQM_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build-asan -j "$jobs"
ctest --test-dir build-asan --output-on-failure -j "$jobs"

echo "== fuzz smoke runs"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja "${config[@]}" -DQM_UI=OFF -DQM_FUZZ=ON -DQM_TESTS=OFF \
  -DQM_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j "$jobs"
ctest --test-dir build-fuzz --output-on-failure

echo "== full build and tests"
# Tests and benchmarks on, also in a tree that scripts/run.sh configured without them.
cmake -S . -B build -G Ninja "${config[@]}" -DQM_TESTS=ON -DQM_BENCH=ON >/dev/null
cmake --build build -j "$jobs"
# The package tests unpack and run the Debian package built from this tree.
bash scripts/package.sh >/dev/null
ctest --test-dir build --output-on-failure -j "$jobs"

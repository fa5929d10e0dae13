#!/usr/bin/env bash
# Builds everything and runs every test: first the normal build, then the
# tests labelled "sanitize" again under AddressSanitizer/UBSan (with the
# libFuzzer smoke runs), built by clang.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
./scripts/setup.sh

jobs=$(nproc)

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DKORVALEN_SANITIZE=ON -DKORVALEN_BUILD_BENCH=OFF
cmake --build build-asan -j "$jobs" --target sanitize_tests
ctest --test-dir build-asan -L sanitize --output-on-failure -j "$jobs" --no-tests=ignore

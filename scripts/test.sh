#!/usr/bin/env bash
# Installs what the tests need, builds everything and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh build game test

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DBLOCKDROP_BUILD_TESTS=ON -DBLOCKDROP_BUILD_BENCH=ON
cmake --build build
ctest --test-dir build --output-on-failure

#!/usr/bin/env bash
# Installs what the tests need, builds everything and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh build game test

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DBLOCKDROP_BUILD_TESTS=ON -DBLOCKDROP_BUILD_BENCH=ON -DBLOCKDROP_BUILD_DESKTOP=ON
cmake --build build
# The window tests mostly wait on the game clock, so run them side by side.
ctest --test-dir build --output-on-failure -j "$(( $(nproc) * 2 ))"

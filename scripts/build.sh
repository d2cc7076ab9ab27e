#!/usr/bin/env bash
# Configures and builds the everyday tree in build/: the game, its tests and
# its benchmarks, with warnings as errors. Extra arguments go to
# `cmake --build` (a --target, say).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBLOCKDROP_WERROR=ON \
  -DBLOCKDROP_BUILD_TESTS=ON -DBLOCKDROP_BUILD_BENCH=ON -DBLOCKDROP_BUILD_DESKTOP=ON >/dev/null
cmake --build build "$@"

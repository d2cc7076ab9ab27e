#!/usr/bin/env bash
# Installs what the game needs, builds it and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh build game

cmake -S . -B build-play -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DBLOCKDROP_BUILD_TESTS=OFF -DBLOCKDROP_BUILD_BENCH=OFF
cmake --build build-play --target blockdrop
exec build-play/blockdrop

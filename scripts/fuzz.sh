#!/usr/bin/env bash
# Builds the libFuzzer target with clang++ and runs it from the committed
# seed corpus for the given number of seconds (default 60). New inputs go to
# a scratch folder, so the corpus in the tree stays as committed. For a long
# run: scripts/fuzz.sh 3600
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh build fuzz test

CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBLOCKDROP_WERROR=ON \
  -DBLOCKDROP_BUILD_FUZZ=ON -DBLOCKDROP_BUILD_TESTS=OFF -DBLOCKDROP_BUILD_BENCH=OFF \
  -DBLOCKDROP_BUILD_DESKTOP=OFF
cmake --build build-fuzz
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
build-fuzz/tests/fuzz/rules_fuzz -max_total_time="${1:-60}" -print_final_stats=1 \
  "$work" tests/fuzz/corpus

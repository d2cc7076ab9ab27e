#!/usr/bin/env bash
# Installs what the tests need, builds everything and runs every test: the
# unit and window tests; the headless tests again under valgrind memcheck and
# under AddressSanitizer with UndefinedBehaviorSanitizer; a bounded fuzzing
# run; and the Debian package built, installed and started.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh build game test package fuzz memcheck

echo "== build and test"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DBLOCKDROP_BUILD_TESTS=ON -DBLOCKDROP_BUILD_BENCH=ON -DBLOCKDROP_BUILD_DESKTOP=ON
cmake --build build
# The window tests mostly wait on the game clock, so run them side by side.
ctest --test-dir build --output-on-failure -j "$(( $(nproc) * 2 ))"

echo "== headless tests under valgrind memcheck"
for suite in rules_tests desktop_tests; do
  valgrind -q --error-exitcode=1 --leak-check=full --errors-for-leak-kinds=definite \
    "build/tests/$suite" --gtest_brief=1
done

echo "== headless tests under ASan and UBSan"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DBLOCKDROP_SANITIZE=ON \
  -DBLOCKDROP_BUILD_TESTS=ON -DBLOCKDROP_BUILD_BENCH=OFF -DBLOCKDROP_BUILD_DESKTOP=OFF
cmake --build build-asan
ctest --test-dir build-asan --output-on-failure -j "$(nproc)"

echo "== fuzzing"
scripts/fuzz.sh "${BLOCKDROP_FUZZ_SECONDS:-60}"

echo "== package"
scripts/check-package.sh

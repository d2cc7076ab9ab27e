#!/usr/bin/env bash
# Builds the clang tree build-sanitize, with AddressSanitizer and
# UndefinedBehaviorSanitizer throughout: the libFuzzer target and the rules'
# tests (ctest --test-dir build-sanitize). Then runs the fuzzer from the
# committed seed corpus for the given number of seconds (default 60, at
# least 1). New inputs go to a scratch folder, so the corpus in the tree
# stays as committed.
#   scripts/fuzz.sh 3600          # an hour
#   scripts/fuzz.sh --build-only  # the tree alone
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
if [[ $seconds != --build-only ]] && ! [[ $seconds =~ ^[0-9]+$ && $seconds -ge 1 ]]; then
  echo "fuzz.sh: '$seconds' is no number of seconds to fuzz for (1 or more)" >&2
  exit 2
fi
scripts/deps.sh build fuzz test

CXX=clang++ cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBLOCKDROP_WERROR=ON \
  -DBLOCKDROP_BUILD_FUZZ=ON -DBLOCKDROP_BUILD_TESTS=ON -DBLOCKDROP_BUILD_BENCH=OFF \
  -DBLOCKDROP_BUILD_DESKTOP=OFF >/dev/null
cmake --build build-sanitize
[[ $seconds == --build-only ]] && exit 0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
build-sanitize/tests/fuzz/rules_fuzz -max_total_time="$seconds" -print_final_stats=1 \
  "$work" tests/fuzz/corpus 2>&1 | tee "$work.log"
runs=$(sed -n 's/^stat::number_of_executed_units: *\([0-9]*\)$/\1/p' "$work.log")
rm -f "$work.log"
((${runs:-0} > 0)) || { echo "fuzz.sh: the fuzzer ran no input" >&2; exit 1; }

#!/usr/bin/env bash
# Installs what the tests need, builds everything and runs every test: the
# unit and window tests; the browser game in headless Chromium; the headless
# tests again under valgrind memcheck and under AddressSanitizer with
# UndefinedBehaviorSanitizer; a bounded fuzzing run; the Windows game
# cross-built and tested under Wine; its zip and the browser zip built twice
# in two folders and compared byte for byte; the Debian package
# built, installed and started; a one-minute soak of the real window; and
# clang-tidy over the sources.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh build game test package fuzz memcheck tidy web windows wine wayland

# Whatever ends this script (a failing step, Ctrl+C, kill), nothing it
# started in the background runs on: each background job leads a process
# group of its own (setsid), and every such group is stopped on the way out.
background=()
stop_background() {
  local group
  for group in "${background[@]}"; do
    kill -TERM -- "-$group" 2>/dev/null || continue
    for _ in {1..50}; do
      kill -0 -- "-$group" 2>/dev/null || break
      sleep 0.1
    done
    kill -KILL -- "-$group" 2>/dev/null || true
    wait "$group" 2>/dev/null || true
  done
}
trap stop_background EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

echo "== build and test"
scripts/build.sh
# clang-tidy takes minutes of CPU; it runs on one core beside the rest and is
# waited for at the end.
setsid scripts/tidy.sh 1 >build/tidy.log 2>&1 &
tidy=$!
background+=("$tidy")
# The window tests mostly wait on the game clock, so run them side by side.
ctest --test-dir build --output-on-failure -j "$(( $(nproc) * 2 ))"

echo "== the browser game in headless Chromium"
scripts/build-web.sh
# The whole page must stay small enough to load at once on a slow line:
# every file it serves counts (page, game, manifest, icon, service worker).
page_bytes=0
for file in build-web/web/*; do
  page_bytes=$((page_bytes + $(gzip -9 -c "$file" | wc -c)))
done
echo "page size, gzipped: $page_bytes bytes (limit 51200)"
((page_bytes <= 51200)) || { echo "the page is over 50 KB gzipped" >&2; exit 1; }
echo "portal zip: $(wc -c <build-web/blockdrop-*-web.zip) bytes"
npm ci --prefix tests/web --no-audit --no-fund --loglevel=error
# Playwright stops at once on a Node.js older than it supports; say so here,
# from what the installed Playwright declares, before any test runs.
playwright=$(node -p "const p = require('./tests/web/node_modules/playwright-core/package.json');
  p.version + ' ' + p.engines.node")
wants=${playwright#* }
have=$(node -p process.versions.node)
oldest=${wants#>=}
oldest=${oldest// /}
if [[ $wants != ">="* ]]; then
  echo "warning: playwright-core ${playwright%% *} wants Node.js '$wants', which this script cannot check" >&2
elif [[ $(printf '%s\n' "$oldest" "$have" | sort -V | head -n 1) != "$oldest" ]]; then
  echo "The browser tests need Node.js $wants: playwright-core ${playwright%% *}, pinned in" \
    "tests/web/package.json, says so; $(command -v node) is Node.js $have." >&2
  exit 1
fi
echo "Node.js $have for playwright-core ${playwright%% *} (wants Node.js $wants)"
(cd tests/web && node --test --test-concurrency=2)

echo "== the Windows game, cross-built and tested under Wine"
# The rules' suite and the front end's pieces run as Windows programs; the
# window tests (built above for this machine) drive the real window. One
# Wine prefix for the whole run, made first and taken down at the end.
scripts/build-windows.sh
ctest --test-dir build-windows --output-on-failure -j 2

echo "== the Windows and browser zips, built twice in two folders and compared"
# The .deb is built twice and compared by the package check below.
scripts/release.sh --check-reproducible windows web

echo "== headless tests under valgrind memcheck"
for suite in rules_tests desktop_tests; do
  valgrind -q --error-exitcode=1 --leak-check=full --errors-for-leak-kinds=definite \
    "build/tests/$suite" --gtest_brief=1
done

echo "== headless tests under ASan and UBSan"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DBLOCKDROP_SANITIZE=ON -DBLOCKDROP_WERROR=ON \
  -DBLOCKDROP_BUILD_TESTS=ON -DBLOCKDROP_BUILD_BENCH=OFF -DBLOCKDROP_BUILD_DESKTOP=OFF
cmake --build build-asan
ctest --test-dir build-asan --output-on-failure -j "$(nproc)"

echo "== a packager's builds: Release, and dpkg-buildflags' hardened flags"
# Both build everything warning-free with the tests on; the headless tests
# run on what the optimiser made.
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DBLOCKDROP_WERROR=ON >/dev/null
cmake --build build-release
scripts/dpkg-build.sh build-buildflags -DBLOCKDROP_WERROR=ON
for tree in build-release build-buildflags; do
  ctest --test-dir "$tree" --output-on-failure -j "$(nproc)" -L 'rules|desktop'
done

echo "== fuzzing"
scripts/fuzz.sh "${BLOCKDROP_FUZZ_SECONDS:-60}"

echo "== package"
scripts/check-package.sh

echo "== soak: the real window under random play"
build/tests/window_soak "${BLOCKDROP_SOAK_MINUTES:-1}"

echo "== clang-tidy"
tidy_status=0
wait "$tidy" || tidy_status=$?
background=()
cat build/tidy.log
exit "$tidy_status"

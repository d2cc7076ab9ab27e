#!/usr/bin/env bash
# Installs what the tests need, builds what they test and runs them, stage
# by stage, fast stages first; prints each stage's time as it ends and a
# table of them all at the end. With no argument every stage runs (the
# README's test command, and CI's); name stages to run only those:
#   scripts/test.sh unit window      # the rules' and desktop's unit tests, the X11 window
#   scripts/test.sh quick            # the developer's loop: unit tests, clang-tidy on changed files
# Stages: unit window wayland libretro web wine release sanitize package fuzz soak tidy
# (the fuzzer and the soak run side by side when both are asked for).
# No stage passes having run no test: each checks the count its runner
# reports.
set -euo pipefail
cd "$(dirname "$0")/.."

all_stages=(unit window wayland libretro web wine release sanitize package fuzz soak tidy)
usage() {
  echo "usage: scripts/test.sh [quick | STAGE...]; stages: ${all_stages[*]}" >&2
  exit 2
}
stages=("$@")
((${#stages[@]} > 0)) || stages=("${all_stages[@]}")
for stage in "${stages[@]}"; do
  [[ " quick ${all_stages[*]} " == *" $stage "* ]] || usage
done
wants() { [[ " ${stages[*]} " == *" $1 "* ]]; }

# Each stage's packages, installed once up front.
declare -A stage_groups=(
  [quick]="build game test tidy" [unit]="build game test" [window]="build game test"
  [wayland]="build game test wayland" [libretro]="build game test libretro" [web]="build web" [wine]="build game test windows wine"
  [release]="build windows web" [sanitize]="build test fuzz memcheck" [fuzz]="build fuzz test"
  [package]="build game test package" [soak]="build game test" [tidy]="build game test tidy"
)
groups=()
for stage in "${stages[@]}"; do
  read -r -a more <<<"${stage_groups[$stage]}"
  groups+=("${more[@]}")
done
mapfile -t groups < <(printf '%s\n' "${groups[@]}" | sort -u)
scripts/deps.sh "${groups[@]}"

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

# CPU seconds, user and system, of this script and of all it has run and
# waited for, into $cpu: `times` in this shell, not a subshell of it. A job
# run in the background (clang-tidy) counts in the stage during which it
# ends.
cpu_file=$(mktemp)
read_cpu() {
  times >"$cpu_file"
  cpu=$(awk '{ for (i = 1; i <= 2; i++) { split($i, t, "m"); total += t[1] * 60 + t[2] } }
    END { printf "%d", total }' "$cpu_file")
}

# The stage table, wall and CPU time, printed at the end whether the run
# passed or not.
table=()
passed=0
current=""
began=0
cpu=0
cpu_began=0
run_began=$SECONDS
report() {
  local status=$?
  stop_background
  read_cpu
  rm -f "$cpu_file"
  [[ -n $current ]] &&
    table+=("$(printf '%-10s %4d s %5d s  FAILED' "$current" $((SECONDS - began)) $((cpu - cpu_began)))")
  if ((${#table[@]} > 0)); then
    echo
    echo "stage       time     CPU"
    printf '%s\n' "${table[@]}"
    printf '%-10s %4d s %5d s\n' total $((SECONDS - run_began)) "$cpu"
  fi
  if [[ -n $current ]]; then
    echo "scripts/test.sh: stage '$current' failed" >&2
  elif ((status == 0 && passed > 0)); then
    echo "tests: $passed passed, 0 failed"
  fi
  exit "$status"
}
trap report EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

stage_start() {
  current=$1
  began=$SECONDS
  read_cpu
  cpu_began=$cpu
  echo "== $1: $2"
}
stage_end() {
  read_cpu
  table+=("$(printf '%-10s %4d s %5d s' "$current" $((SECONDS - began)) $((cpu - cpu_began)))")
  echo "== $current passed in $((SECONDS - began)) s, $((cpu - cpu_began)) CPU-s"
  current=""
}

# Adds a run's count to the totals, and fails on a run of no test.
count() {
  local what=$1 ran=${2:-0}
  ((ran > 0)) || { echo "$what ran no test" >&2; exit 1; }
  passed=$((passed + ran))
}

# Runs a command with its output shown and kept, and counts the tests its
# runner reports: the last line the sed pattern matches, \1 the number.
counted() {
  local pattern=$1 log
  shift
  log=$(mktemp)
  "$@" | tee "$log"
  count "$*" "$(sed -n "s/$pattern/\\1/p" "$log" | tail -n 1)"
  rm -f "$log"
}

# ctest in a tree.
ctest_in() {
  counted '.* tests\{0,1\} failed out of \([0-9]*\)$' \
    ctest --test-dir "$@" --output-on-failure --no-tests=error
}

# clang-tidy runs on one core beside the stages after the build, and its
# findings show as soon as it ends.
tidy_job=""
tidy_started=no
start_tidy() {
  [[ $tidy_started == no ]] || return 0
  tidy_started=yes
  setsid bash -c 'status=0; scripts/tidy.sh 1 >build/tidy.log 2>&1 || status=$?
    echo "== clang-tidy, run beside the other stages:"; cat build/tidy.log; exit "$status"' &
  tidy_job=$!
  background+=("$tidy_job")
}
# Waits for it once; its status is the tidy stage's.
tidy_status=0
finish_tidy() {
  [[ -n $tidy_job ]] || return 0
  wait "$tidy_job" || tidy_status=$?
  tidy_job=""
}

if wants quick; then
  stage_start quick "the unit tests, and clang-tidy on the files changed since main"
  scripts/build.sh --target rules_tests desktop_tests
  ctest_in build -L 'rules|desktop' -j "$(nproc)"
  scripts/tidy.sh --changed
  stage_end
fi

if wants unit; then
  stage_start unit "the rules' and the desktop's unit tests"
  scripts/build.sh --target rules_tests desktop_tests
  ctest_in build -L 'rules|desktop|release|package' -j "$(nproc)"
  stage_end
fi

# The everyday tree, built whole by the first stage that needs it; clang-tidy
# starts once its compile commands are there.
built=no
build_all() {
  [[ $built == yes ]] && return
  scripts/build.sh
  built=yes
  if wants tidy; then start_tidy; fi
}

if wants window; then
  stage_start window "the game's window under Xvfb: the shared scenarios, the pads, the X11 cases"
  build_all
  # The window tests mostly wait on the game, so run them side by side.
  ctest_in build -L 'window|pad' -j "$(($(nproc) * 2))"
  stage_end
fi

if wants wayland; then
  stage_start wayland "the game on a headless sway, natively and through Xwayland"
  build_all
  ctest_in build -L wayland -j "$(($(nproc) * 2))"
  stage_end
fi

if wants libretro; then
  stage_start libretro "the libretro core through a frontend of ours and Debian's RetroArch, and built with Clang"
  build_all
  # The shared scenarios run at the frontend's 60 frames a second, mostly
  # waiting: side by side.
  ctest_in build -L libretro -j "$(($(nproc) * 2))"
  # The game's own tree is GCC's; the core builds warning-free with Clang too
  # (for its warnings only: not optimised, no debug information).
  CXX=clang++ cmake -S . -B build-clang -G Ninja -DCMAKE_BUILD_TYPE=None \
    -DBLOCKDROP_WERROR=ON -DBLOCKDROP_BUILD_TESTS=OFF -DBLOCKDROP_BUILD_BENCH=OFF >/dev/null
  cmake --build build-clang --target blockdrop_libretro
  stage_end
fi

if wants web; then
  stage_start web "the browser game in headless Chromium"
  # GameDistribution's build needs an id for the game; the tests' stands in.
  GD_GAME_ID=${GD_GAME_ID:-0123456789abcdef0123456789abcdef} scripts/build-web.sh
  # The whole page must stay small enough to load at once on a slow line:
  # every file it serves counts (page, game, manifest, icon, service worker).
  page_bytes=0
  for file in build-web/web/*; do
    page_bytes=$((page_bytes + $(gzip -9 -c "$file" | wc -c)))
  done
  echo "page size, gzipped: $page_bytes bytes (limit 51200)"
  ((page_bytes <= 51200)) || { echo "the page is over 50 KB gzipped" >&2; exit 1; }
  for zip in build-web/blockdrop-*.zip; do echo "${zip#build-web/}: $(wc -c <"$zip") bytes"; done
  npm ci --prefix tests/web --no-audit --no-fund --loglevel=error
  # Playwright stops at once on a Node.js older than it supports; say so
  # here, from what the installed Playwright declares, before any test runs.
  playwright=$(node -p "const p = require('./tests/web/node_modules/playwright-core/package.json');
    p.version + ' ' + p.engines.node")
  wants_node=${playwright#* }
  have=$(node -p process.versions.node)
  oldest=${wants_node#>=}
  oldest=${oldest// /}
  if [[ $wants_node != ">="* ]]; then
    echo "warning: playwright-core ${playwright%% *} wants Node.js '$wants_node', which this script cannot check" >&2
  elif [[ $(printf '%s\n' "$oldest" "$have" | sort -V | head -n 1) != "$oldest" ]]; then
    echo "The browser tests need Node.js $wants_node: playwright-core ${playwright%% *}, pinned in" \
      "tests/web/package.json, says so; $(command -v node) is Node.js $have." >&2
    exit 1
  fi
  echo "Node.js $have for playwright-core ${playwright%% *} (wants Node.js $wants_node)"
  counted '^# pass \([0-9]*\)$' env -C tests/web node --test --test-reporter=tap --test-concurrency=2
  stage_end
fi

if wants wine; then
  stage_start wine "the Windows game, cross-built and tested under Wine"
  # The rules' suite and the Windows front end's own pieces run as Windows
  # programs; the window tests (built for this machine) drive the real
  # window. One Wine prefix for the whole run, made first and taken down at
  # the end.
  scripts/build.sh --target wine_window_tests
  scripts/build-windows.sh
  ctest_in build-windows -j 2
  stage_end
fi

if wants release; then
  stage_start release "the Windows and browser zips the same bytes from another folder"
  # The in-tree builds against one copy built in another folder; the .deb
  # is built twice and compared by the package stage.
  scripts/release.sh --check-reproducible windows web
  stage_end
fi

if wants sanitize; then
  stage_start sanitize "the unit tests under valgrind memcheck, and under ASan and UBSan"
  scripts/build.sh --target rules_tests desktop_tests
  for suite in rules_tests desktop_tests; do
    counted '^\[  PASSED  \] \([0-9]*\) tests\{0,1\}\.$' valgrind -q --error-exitcode=1 \
      --leak-check=full --errors-for-leak-kinds=definite "build/tests/$suite" --gtest_brief=1
  done
  # One clang tree with AddressSanitizer and UndefinedBehaviorSanitizer
  # serves these tests and the fuzzer.
  scripts/fuzz.sh --build-only
  ctest_in build-sanitize -j "$(nproc)"
  stage_end
fi

if wants package; then
  stage_start package "a packager's builds, and the Debian package built, checked, installed and played"
  build_all
  # The package is built warning-free with dpkg-buildflags' hardened flags
  # (the optimiser's Release flags are the Windows and the browser builds',
  # which build the rules and their tests warning-free); the unit tests ran
  # under the sanitizers and valgrind.
  BLOCKDROP_PACKAGE_WERROR=ON scripts/check-package.sh
  stage_end
fi

fuzz_seconds=${BLOCKDROP_FUZZ_SECONDS:-60}
soak_minutes=${BLOCKDROP_SOAK_MINUTES:-1}
if wants fuzz && wants soak; then
  stage_start fuzz+soak "the rules fuzzed on one core, the real window under random play beside it"
  # The fuzzer keeps one core busy; the soak mostly waits on the game's clock
  # and has the other to itself (clang-tidy has ended by now, or waits here).
  scripts/fuzz.sh --build-only
  build_all
  finish_tidy
  fuzz_log=$(mktemp)
  setsid scripts/fuzz.sh "$fuzz_seconds" >"$fuzz_log" 2>&1 &
  fuzz_job=$!
  background+=("$fuzz_job")
  build/tests/window_soak "$soak_minutes"
  if ! wait "$fuzz_job"; then
    cat "$fuzz_log"
    exit 1
  fi
  echo "fuzzing:"
  grep -e '^stat::' -e '^Done ' "$fuzz_log"
  rm -f "$fuzz_log"
  stage_end
elif wants fuzz; then
  stage_start fuzz "the rules fuzzed from the seed corpus"
  scripts/fuzz.sh "$fuzz_seconds"
  stage_end
elif wants soak; then
  stage_start soak "the real window under random play"
  build_all
  build/tests/window_soak "$soak_minutes"
  stage_end
fi

if wants tidy; then
  stage_start tidy "clang-tidy over the sources"
  build_all
  start_tidy
  finish_tidy
  ((tidy_status == 0)) || exit "$tidy_status"
  stage_end
fi

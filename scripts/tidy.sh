#!/usr/bin/env bash
# Runs clang-tidy with the project's .clang-tidy over every native source of
# ours; any finding fails. Needs build/compile_commands.json (scripts/build.sh
# writes it). The file that shows the rules' fence catching a reach into the
# shell is in no target and is left out. The browser shell is compiled by
# emscripten and is not covered.
#   scripts/tidy.sh [jobs, default all cores]
#   scripts/tidy.sh --changed   # only the sources changed since main, committed or not
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh tidy
[[ -f build/compile_commands.json ]] || scripts/build.sh
jobs=${1:-$(nproc)}
changed=()
if [[ ${1-} == --changed ]]; then
  jobs=$(nproc)
  base=$(git merge-base HEAD main 2>/dev/null || git rev-parse HEAD)
  mapfile -t changed < <({ git diff --name-only --diff-filter=d "$base" -- '*.cpp'
    git ls-files --others --exclude-standard -- '*.cpp'; } | sort -u)
  if ((${#changed[@]} == 0)); then
    echo "clang-tidy: no source changed since main"
    exit 0
  fi
fi
log=$(mktemp)
commands=$(mktemp -d)
trap 'rm -rf "$log" "$commands"' EXIT
# The tests are checked in batches, as they are built: see tidy-batches.py.
scripts/tidy-batches.py build/compile_commands.json "$commands" "${changed[@]}" >"$commands/files"
if [[ ! -s $commands/files ]]; then
  echo "clang-tidy: no source of the native build changed since main"
  exit 0
fi
((${#changed[@]} == 0)) || echo "clang-tidy on: $(sed "s|^$PWD/||" "$commands/files" | tr '\n' ' ')"
status=0
# Every entry of the database written is one to check.
run-clang-tidy -p "$commands" -quiet -j "$jobs" >"$log" 2>&1 || status=$?
# Only the findings, without colour, not clang-tidy's chatter about each file.
sed 's/\x1b\[[0-9;]*m//g' "$log" | grep -v -E -e '^[0-9]* warnings? generated' -e '^clang-tidy(-[0-9]+)? ' -e '^Suppressed ' \
  -e '^Use -header-filter' -e '^$' || true
if ((status == 0)); then echo "clang-tidy: clean"; else echo "clang-tidy: findings above"; fi
exit "$status"

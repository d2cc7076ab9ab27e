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
sources="$PWD/((board|play|outcome|shell|bench)/|tests/(?!seams/))"
jobs=${1:-$(nproc)}
if [[ ${1-} == --changed ]]; then
  jobs=$(nproc)
  base=$(git merge-base HEAD main 2>/dev/null || git rev-parse HEAD)
  mapfile -t changed < <({ git diff --name-only --diff-filter=d "$base" -- '*.cpp'
    git ls-files --others --exclude-standard -- '*.cpp'; } | sort -u)
  # Only the files the build compiles, whose names clang-tidy matches whole.
  listed=()
  for file in "${changed[@]}"; do
    grep -q "\"file\": \"$PWD/$file\"" build/compile_commands.json && listed+=("$file")
  done
  if ((${#listed[@]} == 0)); then
    echo "clang-tidy: no source of the native build changed since main"
    exit 0
  fi
  echo "clang-tidy on: ${listed[*]}"
  sources="$PWD/($(printf '%s|' "${listed[@]}" | sed 's/[.]/[.]/g; s/|$//'))\$"
fi
log=$(mktemp)
commands=$(mktemp -d)
trap 'rm -rf "$log" "$commands"' EXIT
# clang-tidy checks a file once for each command that compiles it: a file
# built into two targets (the game and its test build, say) is checked with
# its first only.
python3 - build/compile_commands.json "$commands/compile_commands.json" <<'EOF'
import json, sys
seen, kept = set(), []
for entry in json.load(open(sys.argv[1])):
    if entry["file"] not in seen:
        seen.add(entry["file"])
        kept.append(entry)
json.dump(kept, open(sys.argv[2], "w"))
EOF
status=0
run-clang-tidy -p "$commands" -quiet -j "$jobs" "$sources" >"$log" 2>&1 || status=$?
# Only the findings, without colour, not clang-tidy's chatter about each file.
sed 's/\x1b\[[0-9;]*m//g' "$log" | grep -v -E -e '^[0-9]* warnings? generated' -e '^clang-tidy(-[0-9]+)? ' -e '^Suppressed ' \
  -e '^Use -header-filter' -e '^$' || true
if ((status == 0)); then echo "clang-tidy: clean"; else echo "clang-tidy: findings above"; fi
exit "$status"

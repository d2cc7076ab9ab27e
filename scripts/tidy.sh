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
# The tests are built in batches, a file that includes a target's sources
# (CMake's unity build), and checked so: most of a test file's cost is
# GoogleTest's and the library's headers, read once a batch instead of once
# a file. Files that compile alike are checked in one batch, written where
# tests/.clang-tidy holds for it. The game's own sources are checked one by
# one, so that the static analyzer, which looks only at the file it is
# given, sees each. The few checks that look only at that file
# (misc-unused-using-decls) pass over a batch's tests; the compiler's
# unused-entity warnings remain. A file built into two targets is checked
# once.
rm -rf build/tidy
mkdir -p build/tidy/tests
cp tests/.clang-tidy build/tidy/tests/
python3 - build/compile_commands.json "$commands" "$PWD" "${changed[@]}" >"$commands/files" <<'EOF'
import json, re, sys
database, out, top, changed = sys.argv[1], sys.argv[2], sys.argv[3], set(sys.argv[4:])
ours = re.compile(re.escape(top) + r"/((board|play|outcome|shell|bench)/|tests/(?!seams/))")
tests = re.compile(re.escape(top) + r"/tests/")

def compiling(entry, source):
    return dict(entry, file=source, command=entry["command"].replace(entry["file"], source))

singles, batches = [], {}
for entry in json.load(open(database)):
    if not re.search(r"/Unity/unity_\d+_cxx\.cxx$", entry["file"]):
        singles.append(entry)
        continue
    alike = re.sub(r" -o \S+| -c \S+", "", entry["command"])
    for source in re.findall(r'^#include "(.*)"$', open(entry["file"]).read(), re.M):
        if tests.match(source):
            batches.setdefault(alike, (entry, []))[1].append(source)
        else:
            singles.append(compiling(entry, source))
seen, kept = set(), []
for entry in singles:
    if entry["file"] not in seen:
        seen.add(entry["file"])
        kept.append(entry)
for number, (entry, sources) in enumerate(batches.values()):
    sources = [s for s in dict.fromkeys(sources) if s not in seen]
    seen.update(sources)
    if len(sources) == 1:
        kept.append(compiling(entry, sources[0]))
    elif sources:
        batch = f"{top}/build/tidy/tests/batch_{number}.cpp"
        with open(batch, "w") as text:
            text.writelines(f'#include "{s}" // NOLINT(bugprone-suspicious-include)\n' for s in sources)
        kept.append(dict(compiling(entry, batch), sources=sources))
checked = []
for entry in kept:
    sources = entry.pop("sources", [entry["file"]])
    if all(ours.match(s) for s in sources) and (not changed or changed & {s[len(top) + 1:] for s in sources}):
        checked.append(entry)
        print(entry["file"])
json.dump(checked, open(out + "/compile_commands.json", "w"))
EOF
if [[ ! -s $commands/files ]]; then
  echo "clang-tidy: no source of the native build changed since main"
  exit 0
fi
((${#changed[@]} == 0)) || echo "clang-tidy on: $(sed "s|^$PWD/||" "$commands/files" | tr '\n' ' ')"
status=0
run-clang-tidy -p "$commands" -quiet -j "$jobs" "^($(sed 's/[.+]/[&]/g' "$commands/files" | paste -sd '|'))\$" >"$log" 2>&1 || status=$?
# Only the findings, without colour, not clang-tidy's chatter about each file.
sed 's/\x1b\[[0-9;]*m//g' "$log" | grep -v -E -e '^[0-9]* warnings? generated' -e '^clang-tidy(-[0-9]+)? ' -e '^Suppressed ' \
  -e '^Use -header-filter' -e '^$' || true
if ((status == 0)); then echo "clang-tidy: clean"; else echo "clang-tidy: findings above"; fi
exit "$status"

#!/usr/bin/env python3
"""Writes the compile database clang-tidy runs from, and prints the files it
is to check, one a line, from the build's database (CMake's).
  scripts/tidy-batches.py DATABASE OUT_DIR [CHANGED_SOURCE...]

The tests are built in batches, a file that includes a target's sources
(CMake's unity build), and are checked so: most of a test file's cost is
GoogleTest's and the library's headers, read once a batch instead of once a
file. Test files that compile alike, in any target, make one batch, written
to build/tidy/tests/ beside a copy of tests/.clang-tidy, so that the tests'
checks hold for it. The game's own sources are checked one by one, so that
the static analyzer, which looks only at the file it is given, sees each.
The few checks that look only at that file (misc-unused-using-decls) pass
over a batch's tests; the compiler's unused-entity warnings remain. A file
built into two targets is checked once. With CHANGED_SOURCE (paths from
the top of the tree), only the files and batches holding one of them.
"""
import json, os, re, shutil, sys

top = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
ours = re.compile(re.escape(top) + r"/((board|play|outcome|shell|bench)/|tests/(?!seams/))")
tests = re.compile(re.escape(top) + r"/tests/")
unity = re.compile(r"/Unity/unity_\d+_cxx\.cxx$")


def compiling(entry, source):
    """The entry's command, compiling source instead."""
    return dict(entry, file=source, command=entry["command"].replace(entry["file"], source))


def split(database):
    """The entries that compile one file, and the test files of CMake's
    batches grouped by their command (less its input and output)."""
    singles, batches = [], {}
    for entry in database:
        if not unity.search(entry["file"]):
            singles.append(entry)
            continue
        alike = re.sub(r" -o \S+| -c \S+", "", entry["command"])
        with open(entry["file"]) as text:
            included = re.findall(r'^#include "(.*)"$', text.read(), re.M)
        for source in included:
            if tests.match(source):
                batches.setdefault(alike, (entry, []))[1].append(source)
            else:
                singles.append(compiling(entry, source))
    return singles, batches


def to_check(singles, batches, folder):
    """(entry, the sources it checks) for each file once, each batch
    written out in folder."""
    seen, kept = set(), []
    for entry in singles:
        if entry["file"] not in seen:
            seen.add(entry["file"])
            kept.append((entry, [entry["file"]]))
    for number, (entry, sources) in enumerate(batches.values()):
        sources = [s for s in dict.fromkeys(sources) if s not in seen]
        seen.update(sources)
        if len(sources) == 1:
            kept.append((compiling(entry, sources[0]), sources))
        elif sources:
            batch = f"{folder}/batch_{number}.cpp"
            with open(batch, "w") as text:
                text.writelines(f'#include "{s}" // NOLINT(bugprone-suspicious-include)\n' for s in sources)
            kept.append((compiling(entry, batch), sources))
    return kept


def main(database, out, *changed):
    folder = f"{top}/build/tidy/tests"
    shutil.rmtree(f"{top}/build/tidy", ignore_errors=True)
    os.makedirs(folder)
    shutil.copy(f"{top}/tests/.clang-tidy", folder)
    with open(database) as text:
        singles, batches = split(json.load(text))
    checked = []
    for entry, sources in to_check(singles, batches, folder):
        names = {s[len(top) + 1:] for s in sources}
        if all(ours.match(s) for s in sources) and (not changed or names & set(changed)):
            checked.append(entry)
            print(entry["file"])
    with open(f"{out}/compile_commands.json", "w") as text:
        json.dump(checked, text)


main(*sys.argv[1:])

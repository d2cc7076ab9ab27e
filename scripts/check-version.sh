#!/usr/bin/env bash
# The game's version is written by hand in one place: project(... VERSION) in
# CMakeLists.txt. The Windows version resource and the names of the package
# and the zips follow it when built; the files below ship as they stand and
# repeat it, so this checks that each one agrees, names every one that does
# not, and prints the version.
#   scripts/check-version.sh [source-tree]
set -euo pipefail
root=${1:-$(dirname "$0")/..}
version=$(sed -n 's/^project(blockdrop VERSION \([0-9][0-9.]*\)[ )].*/\1/p' "$root/CMakeLists.txt")
[[ -n $version ]] || { echo "check-version: CMakeLists.txt has no project(blockdrop VERSION ...)" >&2; exit 1; }

status=0
agree() { # file, the version it says, the version it must say
  [[ $2 == "$3" ]] && return
  echo "check-version: $1 says '$2' where CMakeLists.txt says $version" >&2
  status=1
}
# The top entry of the change log, the newest release of the metainfo (they
# list the newest first), the manual page's header, the Windows manifest's
# four-part assembly version.
agree packaging/changelog "$(sed -n '1s/^blockdrop (\([^)]*\)).*/\1/p' "$root/packaging/changelog")" "$version"
metainfo=data/invalid.blockdrop.blockdrop.metainfo.xml
agree $metainfo "$(grep -m1 -o '<release version="[^"]*"' "$root/$metainfo" | cut -d'"' -f2)" "$version"
agree data/blockdrop.6 "$(sed -n '1s/^\.TH .*"blockdrop \([^"]*\)".*/\1/p' "$root/data/blockdrop.6")" "$version"
manifest=shell/windows/blockdrop.manifest
agree $manifest "$(grep -m1 -o '<assemblyIdentity [^>]* name="BlockDrop" version="[^"]*"' "$root/$manifest" |
  sed 's/.* version="//; s/"$//')" "$version.0"
((status == 0)) && echo "$version"
exit "$status"

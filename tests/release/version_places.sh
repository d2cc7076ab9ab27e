#!/usr/bin/env bash
# The version check passes on the tree as it is, and fails, naming the file,
# when any one place that repeats the version says another: each place in
# turn is changed in a copy of the files the check reads.
#   tests/release/version_places.sh
set -euo pipefail
source=$(cd "$(dirname "$0")/../.." && pwd)
check=$source/scripts/check-version.sh
fail() { echo "version_places: $*" >&2; exit 1; }

version=$("$check" "$source") || fail "the tree's own versions disagree"
[[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "not a version: '$version'"
echo "every place says $version"

places=(CMakeLists.txt packaging/changelog data/invalid.blockdrop.blockdrop.metainfo.xml
  data/blockdrop.6 shell/windows/blockdrop.manifest)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
for place in "${places[@]}"; do
  tree=$scratch/$place
  for file in "${places[@]}"; do
    mkdir -p "$(dirname "$tree/$file")"
    cp "$source/$file" "$tree/$file"
  done
  "$check" "$tree" >/dev/null || fail "the copy for $place fails before it is changed"
  # The first time the version appears in that file, and only there.
  sed -i "0,/${version//./\\.}/s//9.8.7/" "$tree/$place"
  ! cmp -s "$source/$place" "$tree/$place" || fail "no $version in $place to change"
  if report=$("$check" "$tree" 2>&1); then
    fail "the check passed with $place saying 9.8.7"
  fi
  # A wrong changelog or manifest is named; a new version in CMakeLists.txt
  # leaves every other place behind.
  [[ $place == CMakeLists.txt ]] && named=packaging/changelog || named=$place
  grep -qF "$named says" <<<"$report" || fail "the check did not name $named: $report"
  echo "changed in $place: caught"
done

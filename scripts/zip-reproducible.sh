#!/usr/bin/env bash
# Zips what is inside DIR into OUT so that the same files give the same bytes
# in any folder, on any machine, at any time: entries in byte order, every one
# stamped with SOURCE_DATE_EPOCH (the last commit's time if unset), modes
# made the same (files 644, folders 755: a build's executable bits are its
# linker's whim, and neither a portal nor Windows reads them), and no extra
# fields (zip -X: no Unix times, owners or groups).
#   scripts/zip-reproducible.sh build-web/web build-web/blockdrop-1.0.0-web.zip
set -euo pipefail
dir=$1
out=$(realpath -m "$2")
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$(dirname "$0")" log -1 --format=%ct 2>/dev/null || true)}
# A zip keeps DOS times: local time (hence TZ=UTC below), 1980 at the earliest.
epoch=${epoch:-315532800}
((epoch >= 315532800)) || epoch=315532800

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cp -R "$dir/." "$stage/"
find "$stage" -type d -exec chmod 755 {} +
find "$stage" -type f -exec chmod 644 {} +
find "$stage" -exec touch -h -d "@$epoch" {} +
rm -f "$out"
(cd "$stage" && find . -type f -printf '%P\n' | LC_ALL=C sort | TZ=UTC zip -X -9 -q -@ "$out")

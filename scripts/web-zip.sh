#!/usr/bin/env bash
# Packs the built page into the zip game portals take: index.html at its
# root beside every file the page serves, the same bytes from every build of
# one commit: fixed times (SOURCE_DATE_EPOCH, else the commit's time) and
# modes, entries in byte order, no extra fields.
#   scripts/web-zip.sh <page folder> <zip>
set -euo pipefail
page=$1
out=$(realpath -m "$2")
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$(dirname "$0")" log -1 --format=%ct 2>/dev/null || true)}
# A zip cannot hold a time before 1980.
((${epoch:-0} >= 315532800)) || epoch=315532800
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
find "$page" -maxdepth 1 -type f -exec cp -t "$stage" {} +
[[ -f $stage/index.html ]] || { echo "no index.html in $page" >&2; exit 1; }
chmod 644 "$stage"/*
touch -d "@$epoch" "$stage"/*
rm -f "$out"
# zip writes times in local time: the same in every time zone.
(cd "$stage" && LC_ALL=C ls | TZ=UTC zip -X -q -9 -@ "$out")

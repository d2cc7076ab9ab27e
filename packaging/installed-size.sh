#!/bin/sh
# Rewrites a .deb with its Installed-Size counted as dpkg-gencontrol counts
# it: every regular file and symbolic link in KiB rounded up (a hard-linked
# file once), and 1 for every other object, directories included. CPack
# adds up the sizes the filesystem reports for directories instead (4096
# bytes each on ext4, a few dozen on tmpfs), so the same source would make
# different packages on different filesystems. dpkg-deb builds the package
# again; SOURCE_DATE_EPOCH, when set, keeps it reproducible.
#   packaging/installed-size.sh PACKAGE.deb
set -eu
deb=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
dpkg-deb --raw-extract "$deb" "$work/root"
size=$(find "$work/root" -path "$work/root/DEBIAN" -prune -o -printf '%y %s %D:%i %n\n' | awk '
  $1 == "f" || $1 == "l" {
    if ($4 > 1 && seen[$3]++) next
    total += int(($2 + 1023) / 1024)
    next
  }
  { total += 1 }
  END { print total }')
control=$work/root/DEBIAN/control
grep -q '^Installed-Size: ' "$control" || { echo "installed-size: no Installed-Size in $deb" >&2; exit 1; }
sed -i "s/^Installed-Size: .*/Installed-Size: $size/" "$control"
dpkg-deb --root-owner-group --build "$work/root" "$deb" >/dev/null

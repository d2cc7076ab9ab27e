#!/usr/bin/env bash
# packaging/installed-size.sh must give a package the Installed-Size that
# dpkg-gencontrol computes for the same files: sizes on each side of a KiB,
# an empty file, a symbolic link, a hard link counted once, nested folders.
# The package starts with a size that is wrong on purpose.
#   tests/packaging/installed_size_test.sh SOURCE_DIR
set -euo pipefail
source_dir=$1
for tool in dpkg-deb dpkg-gencontrol; do
  command -v "$tool" >/dev/null || { echo "no $tool here (dpkg-dev)"; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

tree=$work/tree
mkdir -p "$tree/usr/games" "$tree/usr/share/doc/t/deep/er"
head -c 0 /dev/zero >"$tree/usr/share/doc/t/empty"
head -c 1 /dev/zero >"$tree/usr/share/doc/t/one"
head -c 1024 /dev/zero >"$tree/usr/share/doc/t/kib"
head -c 1025 /dev/zero >"$tree/usr/share/doc/t/deep/kib-and-one"
head -c 70000 /dev/zero >"$tree/usr/games/t"
ln "$tree/usr/games/t" "$tree/usr/games/t-again"
ln -s t "$tree/usr/games/t-link"

# dpkg-gencontrol's count, from a source package of one binary package.
mkdir debian
printf 'Source: t\nMaintainer: T <t@t.invalid>\n\nPackage: t\nArchitecture: all\nDescription: t\n t\n' \
  >debian/control
printf 't (1.0) unstable; urgency=low\n\n  * t\n\n -- T <t@t.invalid>  Thu, 01 Jan 1970 00:00:00 +0000\n' \
  >debian/changelog
expected=$(dpkg-gencontrol -pt -P"$tree" -O 2>/dev/null | sed -n 's/^Installed-Size: //p')
[[ -n $expected ]] || { echo "dpkg-gencontrol gave no Installed-Size"; exit 1; }

mkdir "$tree/DEBIAN"
printf 'Package: t\nVersion: 1.0\nArchitecture: all\nMaintainer: T <t@t.invalid>\nInstalled-Size: 999999\nDescription: t\n t\n' \
  >"$tree/DEBIAN/control"
dpkg-deb --root-owner-group --build "$tree" t.deb >/dev/null
"$source_dir/packaging/installed-size.sh" t.deb
got=$(dpkg-deb --field t.deb Installed-Size)
echo "dpkg-gencontrol: $expected, the package: $got"
[[ $got == "$expected" ]]
# The files are what they were, the links included.
dpkg-deb --contents t.deb >listed
grep -q ' ./usr/games/t-again link to ./usr/games/t$' listed || { cat listed; exit 1; }
grep -q ' ./usr/games/t-link -> t$' listed || { cat listed; exit 1; }
grep -Eq ' 70000 [0-9-]+ [0-9:]+ ./usr/games/t$' listed || { cat listed; exit 1; }

#!/usr/bin/env bash
# Builds the Debian package, checks what it holds and what it depends on,
# installs it (into a scratch root, and for real when run as root) and starts
# the installed game under Xvfb. Needs build/tests/window_tests from
# scripts/test.sh.
set -euo pipefail
cd "$(dirname "$0")/.."

fail() { echo "check-package: $*" >&2; exit 1; }

build=build-package
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DBLOCKDROP_BUILD_TESTS=OFF -DBLOCKDROP_BUILD_BENCH=OFF -DBLOCKDROP_BUILD_DESKTOP=ON
cmake --build "$build"
rm -f "$build"/blockdrop_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(realpath "$build"/blockdrop_*.deb)
echo "package: $deb"
dpkg-deb --info "$deb" | sed -n '/Package:/,$p'

depends=$(dpkg-deb --field "$deb" Depends)
grep -q 'libsdl2-2\.0-0' <<<"$depends" || fail "no dependency on the SDL2 runtime: $depends"
grep -q 'xfonts-base' <<<"$depends" || fail "no dependency on the X core fonts: $depends"
[[ $(dpkg-deb --field "$deb" Section) == games ]] || fail "not in section games"

expected="./usr/bin/blockdrop
./usr/share/applications/blockdrop.desktop
./usr/share/icons/hicolor/scalable/apps/blockdrop.svg
./usr/share/man/man6/blockdrop.6.gz"
files=$(dpkg-deb --contents "$deb" | awk '$1 !~ /^d/ {print $6}' | sort)
[[ $files == "$expected" ]] || fail "unexpected contents:"$'\n'"$files"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
dpkg-deb --extract "$deb" "$scratch"
desktop-file-validate "$scratch/usr/share/applications/blockdrop.desktop"
# Every dependency must resolve against the archive.
apt-get install --simulate --no-install-recommends "$deb" >/dev/null ||
  fail "the package's dependencies do not resolve"

game="$scratch/usr/bin/blockdrop"
if [[ $(id -u) -eq 0 ]]; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "$deb" >/dev/null
  game=/usr/bin/blockdrop
  [[ -x $game ]] || fail "installing the package did not put the game in /usr/bin"
fi

echo "starting the installed game: $game"
status=0
BLOCKDROP_GAME=$game build/tests/window_tests \
  --gtest_filter='GameWindow.DrawsTheSetUpBoardToThePixel:GameWindow.ClosingTheWindowEndsTheProgramWithStatusZero' ||
  status=$?
if [[ $(id -u) -eq 0 ]]; then
  DEBIAN_FRONTEND=noninteractive apt-get remove -y -q blockdrop >/dev/null
fi
exit $status

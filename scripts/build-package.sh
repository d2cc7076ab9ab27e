#!/usr/bin/env bash
# Builds the Debian package build-package/blockdrop_<version>_<arch>.deb of
# the source tree this script is in, with dpkg-buildflags' hardened flags.
# Every time stamp in it is SOURCE_DATE_EPOCH, the last commit's if unset.
set -euo pipefail
cd "$(dirname "$0")/.."
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
export SOURCE_DATE_EPOCH
rm -rf build-package
scripts/dpkg-build.sh build-package -DCMAKE_INSTALL_BINDIR=games \
  -DBLOCKDROP_BUILD_TESTS=OFF -DBLOCKDROP_BUILD_BENCH=OFF -DBLOCKDROP_BUILD_DESKTOP=ON
(cd build-package && cpack -G DEB >/dev/null)

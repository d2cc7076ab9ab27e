#!/usr/bin/env bash
# Builds the Debian package build-package/blockdrop_<version>_<arch>.deb of
# the source tree this script is in, with dpkg-buildflags' hardened flags,
# and the libretro core's zip beside it,
# build-package/blockdrop-<version>-libretro-linux-<processor>.zip.
# Every time stamp in it is SOURCE_DATE_EPOCH, the last commit's if unset.
set -euo pipefail
cd "$(dirname "$0")/.."
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
export SOURCE_DATE_EPOCH
rm -rf build-package
# The libretro core goes where Debian's cores are, in the architecture's
# library folder. BLOCKDROP_PACKAGE_WERROR=ON makes a warning fail the build,
# as the tests ask; it changes no byte of the package.
scripts/dpkg-build.sh build-package -DCMAKE_INSTALL_BINDIR=games \
  -DCMAKE_INSTALL_LIBDIR="lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)" \
  -DBLOCKDROP_WERROR="${BLOCKDROP_PACKAGE_WERROR:-OFF}" \
  -DBLOCKDROP_BUILD_TESTS=OFF -DBLOCKDROP_BUILD_BENCH=OFF -DBLOCKDROP_BUILD_DESKTOP=ON
(cd build-package && cpack -G DEB >/dev/null)
# The core alone, for frontends that take a zip.
cmake --build build-package --target blockdrop_libretro_zip

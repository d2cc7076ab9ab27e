#!/usr/bin/env bash
# Configures and builds the tree in the given folder as a Debian packager
# would: build type None, with the compiler and linker flags dpkg-buildflags
# gives, full hardening included (fortify, stack protector, relro, bindnow).
# Its -ffile-prefix-map maps this source folder to ".", so no build path
# ends up in a binary. Further arguments go to the configure step, and those
# after a `--` to the build step.
#   scripts/dpkg-build.sh build-buildflags -DBLOCKDROP_WERROR=ON -- --target rules_tests
set -euo pipefail
cd "$(dirname "$0")/.."
build=$1
shift
configure=()
while (($# > 0)) && [[ $1 != -- ]]; do
  configure+=("$1")
  shift
done
(($# == 0)) || shift

export DEB_BUILD_MAINT_OPTIONS=hardening=+all
# CMake reads CXXFLAGS and LDFLAGS but not CPPFLAGS, which carries the
# fortify define; debhelper folds it in the same way.
# They are passed on the command line, not through the environment, so that
# a tree configured before picks them up too.
cxxflags="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
ldflags=$(dpkg-buildflags --get LDFLAGS)

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=None \
  -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" \
  -DCMAKE_MODULE_LINKER_FLAGS="$ldflags" "${configure[@]}" >/dev/null
cmake --build "$build" --parallel "$(nproc)" "$@"

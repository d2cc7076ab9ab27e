#!/usr/bin/env bash
# Installs the cross toolchain from Debian and builds the Windows game into
# build-windows/: blockdrop.exe, one file that needs nothing installed, and
# the release zip blockdrop-<version>-windows.zip (the .exe, README.md and
# LICENSE), plus the tests that run under Wine (ctest --test-dir
# build-windows). Extra arguments go to `cmake --build`.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh windows
cmake -S . -B build-windows -G Ninja --toolchain cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DBLOCKDROP_WERROR=ON >/dev/null
cmake --build build-windows "$@"

#!/usr/bin/env bash
# Builds the browser game into build-web/web/: our index.html, page.js and
# page.css beside the blockdrop.js and blockdrop.wasm that Debian's
# emscripten makes; then packs that folder into the zip game portals take,
# build-web/blockdrop-<version>-web.zip.
set -euo pipefail
cd "$(dirname "$0")/.."
# Debian's emscripten finds the Node.js modules its optimising link step
# needs only through NODE_PATH.
export NODE_PATH="/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}"
emcmake cmake -S . -B build-web -G Ninja -DCMAKE_BUILD_TYPE=Release -DBLOCKDROP_WERROR=ON >/dev/null
cmake --build build-web
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build-web/CMakeCache.txt)
scripts/zip-reproducible.sh build-web/web "build-web/blockdrop-$version-web.zip"

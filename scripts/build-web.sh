#!/usr/bin/env bash
# Builds the browser game into build-web/web/: our index.html, page.js and
# page.css beside the blockdrop.js and blockdrop.wasm that Debian's
# emscripten makes; and each portal's build of it (build-web/poki/,
# build-web/crazygames/: the same game with that portal's SDK). Then packs
# each folder into the zip a site or portal takes:
# build-web/blockdrop-<version>-{web,poki,crazygames}.zip. Arguments go to
# `cmake --build`: `--target blockdrop_pages` skips the tests' build.
set -euo pipefail
cd "$(dirname "$0")/.."
# Debian's emscripten finds the Node.js modules its optimising link step
# needs only through NODE_PATH.
export NODE_PATH="/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}"
emcmake cmake -S . -B build-web -G Ninja -DCMAKE_BUILD_TYPE=Release -DBLOCKDROP_WERROR=ON >/dev/null
cmake --build build-web "$@"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build-web/CMakeCache.txt)
for build in web poki crazygames; do
  scripts/zip-reproducible.sh "build-web/$build" "build-web/blockdrop-$version-$build.zip"
done

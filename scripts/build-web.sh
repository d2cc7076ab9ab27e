#!/usr/bin/env bash
# Builds the browser game into build-web/web/: our index.html, page.js and
# page.css beside the blockdrop.js and blockdrop.wasm that Debian's
# emscripten makes; and each portal's build of it (build-web/poki/,
# build-web/crazygames/, and build-web/gamedistribution/ when
# GD_GAME_ID=<GameDistribution's id for the game> is given: the same game
# with that portal's SDK). Then packs each folder into the zip a site or
# portal takes: build-web/blockdrop-<version>-<build>.zip. Arguments go to
# `cmake --build`: `--target blockdrop_pages` skips the tests' build.
set -euo pipefail
cd "$(dirname "$0")/.."
gd_id=${GD_GAME_ID:-}
if [[ -n $gd_id && ! $gd_id =~ ^[0-9a-f]{32}$ ]]; then
  echo "build-web.sh: GD_GAME_ID must be GameDistribution's id for the game, 32 hex digits, not '$gd_id'" >&2
  exit 2
fi
# Debian's emscripten finds the Node.js modules its optimising link step
# needs only through NODE_PATH.
export NODE_PATH="/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}"
emcmake cmake -S . -B build-web -G Ninja -DCMAKE_BUILD_TYPE=Release -DBLOCKDROP_WERROR=ON \
  -DBLOCKDROP_GD_GAME_ID="$gd_id" >/dev/null
cmake --build build-web "$@"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build-web/CMakeCache.txt)
builds=(web poki crazygames)
if [[ -n $gd_id ]]; then
  builds+=(gamedistribution)
else
  # No stale GameDistribution build of another id stays behind.
  rm -rf build-web/gamedistribution "build-web/blockdrop-$version-gamedistribution.zip"
  echo "build-web.sh: no GameDistribution zip: GD_GAME_ID=<the game's id> scripts/build-web.sh makes one"
fi
for build in "${builds[@]}"; do
  scripts/zip-reproducible.sh "build-web/$build" "build-web/blockdrop-$version-$build.zip"
done

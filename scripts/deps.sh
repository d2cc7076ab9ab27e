#!/usr/bin/env bash
# Installs the Debian packages that the named groups need, skipping what is
# already there. Groups: build, game, test, docs, package, fuzz, memcheck.
#   scripts/deps.sh build game
set -euo pipefail

declare -A groups=(
  [build]="cmake ninja-build g++ pkg-config"
  [game]="libsdl2-dev xfonts-base"
  [test]="googletest libgtest-dev libgmock-dev libbenchmark-dev xvfb libx11-dev libxtst-dev"
  [docs]="xvfb x11-utils imagemagick"
  [package]="dpkg-dev desktop-file-utils"
  [fuzz]="clang libclang-rt-14-dev"
  [memcheck]="valgrind"
)

wanted=()
for group in "$@"; do
  [[ -n "${groups[$group]+set}" ]] || { echo "deps.sh: unknown group '$group'" >&2; exit 2; }
  read -r -a packages <<<"${groups[$group]}"
  wanted+=("${packages[@]}")
done

missing=()
for package in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed' || missing+=("$package")
done
((${#missing[@]} == 0)) && exit 0

sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update -q
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"

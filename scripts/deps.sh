#!/usr/bin/env bash
# Installs the Debian packages that the named groups need, skipping what is
# already there. Groups: build, game, test, docs, package, fuzz, memcheck,
# tidy, web, windows, wine, wayland, libretro, fresh.
#   scripts/deps.sh build game
set -euo pipefail

declare -A groups=(
  [build]="cmake ninja-build g++ pkg-config"
  # The message boxes draw their text with FreeType in DejaVu Sans; the
  # desktop's dpi and the icon go through Xlib; on Wayland the window's
  # buffers through libwayland-client.
  # The libretro core builds against retroarch-dev's libretro.h.
  [game]="libsdl2-dev libfreetype-dev fonts-dejavu-core libx11-dev libwayland-dev retroarch-dev"
  # evilwm: a small window manager, for the window tests that go full screen.
  [test]="googletest libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth libx11-dev libxtst-dev evilwm"
  [docs]="xvfb x11-utils imagemagick xdotool evilwm"
  # The package check builds from what git tracks, stamped with the last
  # commit's time; zip makes the core's zip beside it.
  [package]="dpkg-dev desktop-file-utils lintian appstream git zip libxml2-utils"
  # Unversioned names, which every Debian release has: its default clang.
  [fuzz]="clang libclang-rt-dev"
  [memcheck]="valgrind"
  # The libretro core's tests: Debian's RetroArch runs it with no display;
  # Clang builds it too.
  [libretro]="retroarch clang"
  [tidy]="clang-tidy python3"
  # The browser game: Debian's emscripten (its system libraries come
  # prebuilt), zip for the portal zip, Debian's Chromium and unzip for the
  # browser tests.
  [web]="emscripten chromium zip unzip"
  # The Windows game: mingw-w64's cross compiler (the posix-threads one) and
  # GoogleTest's sources to build the tests with it, zip for the release;
  # Wine to run them.
  [windows]="cmake ninja-build g++ g++-mingw-w64-x86-64-posix googletest zip"
  # xvfb-run (the pads' box test) needs xauth, which xvfb only recommends.
  [wine]="wine wine64 fonts-wine xvfb xauth"
  # The Wayland window tests: a headless sway with Xwayland, screenshots
  # with grim, keys with wtype (native) and xdotool (Xwayland), xprop to
  # wait for Xwayland's window manager.
  [wayland]="sway grim wtype xwayland xdotool x11-utils"
  # scripts/fresh-debian.sh: a new Debian system made in a folder, the
  # commit cloned into it, and its window looked for on an Xvfb of ours.
  [fresh]="debootstrap git xvfb xdotool"
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
# The web tests run on Node.js with npm. A machine whose Node.js comes from
# elsewhere (with npm bundled) keeps it; Debian's npm would conflict with it.
if [[ " $* " == *" web "* ]]; then
  command -v node >/dev/null || missing+=(nodejs)
  command -v npm >/dev/null || missing+=(npm)
fi
((${#missing[@]} == 0)) && exit 0

sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get -o DPkg::Lock::Timeout=900 update -q
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get -o DPkg::Lock::Timeout=900 install -y -q --no-install-recommends "${missing[@]}"

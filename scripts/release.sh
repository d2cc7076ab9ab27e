#!/usr/bin/env bash
# Makes a release of the commit checked out, in dist/: the Debian package
# and the libretro core's zip, the Windows zip, the browser zip (index.html at its root, as game portals
# take it) and SHA256SUMS over them. Refuses a tree with changes not
# committed. Each artefact is built in a fresh copy of the commit in a
# folder of its own, with every time stamp the commit's, so that a release
# made from the same commit anywhere else is the same bytes.
#   scripts/release.sh
# With --check-reproducible it makes the named artefacts (deb, windows, web;
# all three if none is named) in this tree's own build folders (as they are,
# if already built) and again in a copy in another folder, and compares
# them byte for byte; this works on the tree as it is, committed or not.
#   scripts/release.sh --check-reproducible windows web
set -euo pipefail
cd "$(dirname "$0")/.."
fail() { echo "release: $*" >&2; exit 1; }

check=no
if [[ ${1-} == --check-reproducible ]]; then
  check=yes
  shift
fi
artefacts=("$@")
((${#artefacts[@]} > 0)) || artefacts=(deb windows web)
for artefact in "${artefacts[@]}"; do
  [[ $artefact =~ ^(deb|windows|web)$ ]] || fail "unknown artefact '$artefact' (deb, windows or web)"
done

if [[ $check == no && -n $(git status --porcelain) ]]; then
  git status --short >&2
  fail "the tree has changes not committed: a release is made of one commit only"
fi
version=$(scripts/check-version.sh)
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
export SOURCE_DATE_EPOCH
groups=(build)
for artefact in "${artefacts[@]}"; do
  case $artefact in
    deb) groups+=(game package) ;;
    windows) groups+=(windows) ;;
    web) groups+=(web) ;;
  esac
done
scripts/deps.sh "${groups[@]}"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# Copies the tree's files as the next commit would hold them (which, for a
# clean tree, is the commit itself) into the folder $1.
copy_tree() {
  mkdir -p "$1"
  git ls-files -z --cached --others --exclude-standard |
    tar --null --files-from=- --ignore-failed-read -cf - | tar -xf - -C "$1"
}

# Builds the artefacts in the source tree $1 and lists their paths, one to a
# line, on standard output; the builds talk on standard error.
build_in() {
  local tree=$1 artefact zip began
  for artefact in "${artefacts[@]}"; do
    echo "== release: the $artefact artefact, in $tree" >&2
    began=$SECONDS
    case $artefact in
      deb)
        "$tree/scripts/build-package.sh" >&2
        echo "$tree/build-package/blockdrop_${version}_$(dpkg --print-architecture).deb"
        echo "$tree/build-package/blockdrop-$version-libretro-linux-$(uname -m).zip" ;;
      windows)
        "$tree/scripts/build-windows.sh" --target blockdrop_windows_zip >&2
        echo "$tree/build-windows/blockdrop-$version-windows.zip" ;;
      web)
        "$tree/scripts/build-web.sh" --target blockdrop_pages >&2
        for build in web poki crazygames ${GD_GAME_ID:+gamedistribution}; do
          echo "$tree/build-web/blockdrop-$version-$build.zip"
        done ;;
    esac
    echo "release: the $artefact artefact took $((SECONDS - began)) s" >&2
  done
}

started=$SECONDS
if [[ $check == yes ]]; then
  # The copy at another depth under another name, so that a build path
  # leaking into an artefact shows.
  copy_tree "$scratch/two/elsewhere/blockdrop-$version"
  build_in "$PWD" >"$scratch/one.list"
  build_in "$scratch/two/elsewhere/blockdrop-$version" >"$scratch/two.list"
  mapfile -t first <"$scratch/one.list"
  mapfile -t second <"$scratch/two.list"
  status=0
  for i in "${!first[@]}"; do
    [[ -f ${first[i]} && -f ${second[i]} ]] || fail "the build made no ${first[i]##*/}"
    if cmp "${first[i]}" "${second[i]}"; then
      echo "byte-identical from two folders: $(sha256sum "${first[i]}" | sed 's|  .*/|  |')"
    else
      status=1
      if [[ ${first[i]} == *.zip ]]; then
        diff <(zipinfo -v "${first[i]}" | tail -n +2) <(zipinfo -v "${second[i]}" | tail -n +2) >&2 || true
      fi
      echo "release: two builds of ${first[i]##*/} differ" >&2
    fi
  done
  echo "release: checked in $((SECONDS - started)) s"
  exit "$status"
fi

copy_tree "$scratch/blockdrop-$version"
build_in "$scratch/blockdrop-$version" >"$scratch/made.list"
mapfile -t made <"$scratch/made.list"
rm -rf dist
mkdir dist
for file in "${made[@]}"; do
  [[ -f $file ]] || fail "the build made no ${file##*/}"
  cp "$file" dist/
done
(cd dist && sha256sum -- *.deb *.zip >SHA256SUMS)
echo "release $version of commit $(git rev-parse --short HEAD), made in $((SECONDS - started)) s:"
(cd dist && stat -c '%10s  dist/%n' -- *)

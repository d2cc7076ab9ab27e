#!/usr/bin/env bash
# The README stays a two-minute read (120 lines at most), and every link in
# it and in docs/ leads to a file in the tree, and to a heading of that file
# where it names one (as GitHub spells a heading's anchor).
#   tests/release/doc_links.sh
set -euo pipefail
source=$(cd "$(dirname "$0")/../.." && pwd)
cd "$source"
status=0
fail() { echo "doc_links: $*" >&2; status=1; }

lines=$(wc -l <README.md)
((lines <= 120)) || fail "README.md has $lines lines, more than 120"

anchors() { sed -n 's/^#\{1,6\} //p' "$1" | tr '[:upper:]' '[:lower:]' | sed 's/[^a-z0-9 _-]//g; s/ /-/g'; }
checked=0
for page in README.md docs/*.md; do
  while read -r link; do
    target=${link%%#*}
    anchor=${link#"$target"}
    file=$(dirname "$page")/$target
    [[ -z $target ]] && file=$page
    checked=$((checked + 1))
    if [[ ! -e $file ]]; then
      fail "$page links to $link: no such file"
    elif [[ -n $anchor ]] && ! anchors "$file" | grep -qxF "${anchor#\#}"; then
      fail "$page links to $link: no such heading"
    fi
  done < <(grep -o '](\([^)]*\))' "$page" | sed 's/^](//; s/)$//' | grep -v '^[a-z]*://' || true)
done
((checked > 0)) || fail "no links found"
((status == 0)) && echo "README.md: $lines lines; $checked links, each to a file of the tree"
exit "$status"

#!/bin/sh
# Derives data/words.txt, the game's word list, from the SCOWL lists of the Debian package
# `scowl`, and data/LICENSE-SCOWL.txt, the notice that must ship with it. Run by hand after
# changing data/words-add.txt or data/words-exclude.txt; the build only reads the result.
#
#   tools/mkdict/derive-words.sh [scowl-lists-folder]
set -eu
cd "$(dirname "$0")/../.."
lists=${1:-/usr/share/dict/scowl}
readme=/usr/share/doc/scowl/README.gz
export LC_ALL=C

[ -d "$lists" ] || { echo "no SCOWL lists in $lists (apt-get install scowl)" >&2; exit 1; }

# Everyday and variant-1 spellings up to level 60: common enough for random racks, without
# proper names, abbreviations, contractions or capitalised entries.
selected=""
for category in english american british variant_1; do
  for level in 10 20 35 40 50 55 60; do
    file="$lists/$category-words.$level"
    [ -f "$file" ] && selected="$selected $file"
  done
done

tmp=$(mktemp)
trap 'rm -f "$tmp"' EXIT
# shellcheck disable=SC2086
cat $selected | tr -d '\r' | grep -E '^[a-z]{3,7}$' | tr 'a-z' 'A-Z' >"$tmp"
cat data/words-add.txt >>"$tmp"
sort -u "$tmp" | grep -vxF -f data/words-exclude.txt >data/words.txt
echo "data/words.txt: $(wc -l <data/words.txt) words"

if [ -f "$readme" ]; then
  {
    echo "The word list data/words.txt (and the dictionary built from it) is derived from"
    echo "SCOWL (Spell Checker Oriented Word Lists, http://wordlist.aspell.net/) and modified:"
    echo "only entries of 3 to 7 lower-case letters of some lists are kept, upper-cased, a few"
    echo "words are added and some are removed. SCOWL's copyright and permission notice follows."
    echo
    gzip -dc "$readme" | sed -n '/^COPYRIGHT, SOURCES, and CREDITS:/,/^FUTURE PLANS:/p' | sed '$d'
  } >data/LICENSE-SCOWL.txt
  echo "data/LICENSE-SCOWL.txt written"
fi

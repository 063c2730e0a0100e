#!/bin/sh
# The manual page renders without a warning, within 80 columns.
set -eu
page=${1:?usage: man_page_test.sh PAGE}
warnings=$(groff -man -Tutf8 -ww -z "$page" 2>&1)
[ -z "$warnings" ] || { echo "$warnings"; exit 1; }
wide=$(MANWIDTH=80 man -l "$page" 2>/dev/null | awk 'length > 80')
[ -z "$wide" ] || { echo "lines wider than 80 columns:"; echo "$wide"; exit 1; }

#!/bin/sh
# Starts Lex Fray from its program folder, found beside this command as ../lib/lexfray.
exec "$(dirname "$(readlink -f "$0")")/../lib/lexfray/lexfray" "$@"

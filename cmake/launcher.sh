#!/bin/sh
# Starts Lex Fray from its program folder, found beside this command as ../lib/lexfray.
folder=$(dirname "$(readlink -f "$0")")/../lib/lexfray
# A setgid program folder is shared by its group: what the game creates there (the player
# file, its backup, the score file) must stay readable and writable for the whole group.
# Only the group's bits of the umask are opened; the rest stays as the player set it.
if [ -g "$folder" ]; then
  umask "$(printf '%04o' $(( $(umask) & 0717 )))"
fi
exec "$folder/lexfray"

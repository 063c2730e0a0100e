#!/bin/sh
# Each room of src/ may include only rooms below it, and only platform/ includes
# operating-system headers.
set -eu
src=${1:?usage: layering_test.sh SRC_DIR}
floors="console platform dialogs config players league game shell"
status=0

level() {
  i=0
  for room in $floors; do
    [ "$room" = "$1" ] && { echo $i; return; }
    i=$((i + 1))
  done
  echo 99
}

for room in $floors; do
  own=$(level "$room")
  for file in "$src/$room"/*; do
    [ -f "$file" ] || continue
    for used in $(sed -n 's/^#include "\([a-z]*\)\/.*/\1/p' "$file" | sort -u); do
      if [ "$(level "$used")" -gt "$own" ]; then
        echo "$file includes $used/, a room above $room/"
        status=1
      fi
    done
    if [ "$room" != platform ] &&
       grep -nE '^#include <(curses|ncurses|unistd|fcntl|signal|termios|spawn|poll|dirent|pwd)\.h>|^#include <sys/' "$file"; then
      echo "$file includes an operating-system header outside platform/"
      status=1
    fi
  done
done

# The exchange program shares the score file, the player file's records and the file layer
# under them, nothing else of the game.
for file in "$src"/../leaguenet/*.* "$src"/../leaguenet/edge/*.*; do
  [ -f "$file" ] || continue
  for used in $(sed -n 's/^#include "\([a-z_]*\/[a-z_.]*\)".*/\1/p' "$file" | sort -u); do
    case $used in
      league/competition_records.h | league/score_file.h | edge/*) ;;
      platform/descriptor.h | platform/executable.h | platform/file_lock.h | platform/files.h) ;;
      platform/record_fields.h | players/player_record.h) ;;
      *) echo "$file includes $used"; status=1 ;;
    esac
  done
done

exit $status

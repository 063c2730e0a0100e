#!/bin/sh
# Each room may include only rooms on its own floor or below, and only the machine's own rooms
# (src/platform/, leaguenet/edge/) include operating-system headers.
set -eu
top=${1:?usage: layering_test.sh SOURCE_DIR}
status=0
os_headers='^#include <(curses|ncurses|unistd|fcntl|signal|termios|spawn|poll|dirent|pwd|syslog|libpq-fe)\.h>|^#include <sys/'

level() {  # level FLOORS ROOM: the room's floor, 99 for a room not among them
  i=0
  for room in $1; do
    [ "$room" = "$2" ] && { echo $i; return; }
    i=$((i + 1))
  done
  echo 99
}

# check TREE FLOORS OS_ROOM: every file of each room against the floors of that tree
check() {
  for room in $2; do
    own=$(level "$2" "$room")
    for file in "$1/$room"/*.* "$1/$room"/*/*.*; do
      [ -f "$file" ] || continue
      for used in $(sed -n 's/^#include "\([a-z]*\)\/.*/\1/p' "$file" | sort -u); do
        if [ "$(level "$2" "$used")" -gt "$own" ] && [ "$(level "$2" "$used")" -ne 99 ]; then
          echo "$file includes $used/, a room above $room/"
          status=1
        fi
      done
      if [ "$room" != "$3" ] && grep -nE "$os_headers" "$file"; then
        echo "$file includes an operating-system header outside $3/"
        status=1
      fi
    done
  done
}

check "$top/src" "console platform dialogs config players league game shell" platform
# The real system behind the platform's interfaces is for main() alone.
if grep -rn '#include "platform/system/' "$top/src" --include=*.h --include=*.cpp |
   grep -v "^$top/src/platform/system/\|^$top/src/main.cpp:"; then
  echo "only main.cpp uses platform/system/"
  status=1
fi

check "$top/leaguenet" "edge rules schema exchange publish commands" edge
# The exchange program shares the score file, the player file's reader and records, the
# file layer under them and the real clock, and reads the configuration as the game does;
# nothing else of the game.
for file in "$top"/leaguenet/*.* "$top"/leaguenet/*/*.*; do
  for used in $(sed -n 's/^#include "\([a-z]*\/[a-z_.]*\)".*/\1/p' "$file" | sort -u); do
    case $used in
      edge/* | rules/* | schema/* | exchange/* | publish/* | commands/*) ;;
      config/config_file.h | config/constants.h | league/competition_records.h) ;;
      league/score_file.h) ;;
      platform/descriptor.h | platform/executable.h | platform/files.h) ;;
      platform/record_fields.h | platform/system_clock.h) ;;
      players/player_file.h | players/player_record.h) ;;
      *) echo "$file includes $used"; status=1 ;;
    esac
  done
done

exit $status

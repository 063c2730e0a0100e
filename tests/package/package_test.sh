#!/bin/bash
# The Debian package as an administrator and a player meet it: built by dpkg-buildpackage
# and accepted by lintian; installed as root and played by an unprivileged user made for the
# test, who can write the shared files only by playing; the game holding the games group
# only for its files; the browser started without the games group; the configuration edit
# kept over a reinstall; the players' files kept by a removal and everything gone after a
# purge. The machine is left as it was, also on failure.
# E2E_CASE does not apply: the cases build on each other.
source_dir=${1:?usage: package_test.sh SOURCE_DIR}
. "$(dirname "$0")/../e2e/lib.sh"
words=${LEXFRAY_WORDS:?the word list data/words.txt}

if [ "$(id -u)" != 0 ]; then echo "skipped: installing the package needs root"; exit 77; fi
for tool in dpkg-buildpackage lintian fakeroot runuser useradd; do
  command -v "$tool" >/dev/null || { echo "skipped: no $tool"; exit 77; }
done
if dpkg-query -W -f='${Status}' lexfray 2>/dev/null | grep -qE 'installed|config-files'; then
  echo "FAIL: a lexfray package is installed on this machine already; this test would replace it" >&2
  exit 1
fi
# A removed but unpurged installation leaves its players' files behind; this test's purge
# would delete them.
for kept in /var/games/lexfray /etc/lexfray /QuillonHomeSoftware /var/lib/lexfray-league; do
  if [ -e "$kept" ]; then
    echo "FAIL: $kept is there, left by an installation of lexfray or LeagueNET; this test's purge would delete it" >&2
    exit 1
  fi
done

work=$(mktemp -d /tmp/lexfray-package.XXXXXX)
player=lexfray-t$$
other=lexfray-u$$
installed=0
probe=/usr/games/lexfray-probe-$$
# The package makes the public pages' user, which stays after a purge as users do; the test
# takes it away again when it made it.
pages_user=_lexfray-league
pages_user_before=$(getent passwd "$pages_user" || true)
# The machine is put back whatever happened; the test's folder, with the build's log, stays
# when the test failed.
package_cleanup() {
  local status=$?
  [ -n "$e2e_dir" ] && other_tmux kill-server 2>/dev/null
  e2e_cleanup
  rm -f "$probe"
  if [ "$installed" = 1 ]; then dpkg --purge lexfray >/dev/null 2>&1; fi
  if getent passwd "$player" >/dev/null; then userdel "$player" 2>/dev/null; fi
  if getent passwd "$other" >/dev/null; then userdel "$other" 2>/dev/null; fi
  if [ -z "$pages_user_before" ] && getent passwd "$pages_user" >/dev/null; then
    userdel "$pages_user" 2>/dev/null
  fi
  if [ "$status" = 0 ]; then
    rm -rf "$work"
  else
    echo "the package test's folder is kept: $work" >&2
  fi
}
trap package_cleanup EXIT

# show_first_error LOG: the first error in LOG with the lines around it (the file it was
# compiling, what included what, the compiler's notes), then the log's end.
show_first_error() {
  local first
  first=$(grep -n -m 1 -E 'error:|CMake Error|\*\*\* \[|dh_[a-z_]+: error' "$1" | cut -d: -f1)
  if [ -n "$first" ]; then
    echo "--- $1, around its first error (line $first):" >&2
    sed -n "$((first > 12 ? first - 12 : 1)),$((first + 20))p" "$1" >&2
  fi
  echo "--- the end of $1:" >&2
  tail -n 15 "$1" >&2
}

# logged NAME COMMAND...: runs COMMAND with its output in $work/NAME.log, shown when it fails.
logged() {
  local name=$1
  shift
  "$@" >"$work/$name.log" 2>&1 </dev/null && return 0
  show_first_error "$work/$name.log"
  return 1
}

# The player's tmux server: the game runs as that user.
e2e_tmux() { runuser -u "$player" -- tmux -S "$e2e_dir/sock" "$@"; }
player_begin() {
  e2e_begin
  chown "$player:" "$e2e_dir"
  chmod 755 "$e2e_dir"
}
as_player() { runuser -u "$player" -- "$@"; }

# Each step says when it began, in seconds since the test started.
step() { echo "== $* (at ${SECONDS} s)"; }

build_and_lint() {
  step "building the package"
  mkdir "$work/src"
  if git -C "$source_dir" rev-parse --git-dir >/dev/null 2>&1; then
    (cd "$source_dir" && git ls-files -z | tar --null -T - -cf -) | tar -C "$work/src" -xf -
  else
    tar -C "$source_dir" --exclude='./build*' --exclude='./obj-*' -cf - . | tar -C "$work/src" -xf -
  fi
  # A compiler cache, where there is one, spares the repeated runs the compile. Its folder is
  # named, since debhelper gives the build a home of its own.
  if command -v ccache >/dev/null; then
    export CMAKE_CXX_COMPILER_LAUNCHER=ccache CCACHE_BASEDIR=$work CCACHE_NOHASHDIR=1 CCACHE_DEPEND=1
    CCACHE_DIR=$(ccache -k cache_dir)
    export CCACHE_DIR
  fi
  (cd "$work/src" && export DEB_BUILD_OPTIONS=parallel=2 && logged build dpkg-buildpackage -b -us -uc) ||
    { echo "FAIL: dpkg-buildpackage failed" >&2; exit 1; }
  deb=$(echo "$work"/lexfray_*_*.deb)
  [ -f "$deb" ] || { echo "FAIL: no package was built" >&2; exit 1; }
  [ -f "$(echo "$work"/lexfray-dbgsym_*.deb)" ] || { echo "FAIL: no -dbgsym package" >&2; exit 1; }
  echo "package $(stat -c %s "$deb") bytes, installed size $(dpkg-deb -f "$deb" Installed-Size) KiB"

  step "lintian"
  # Every tag is shown; errors and warnings fail the test.
  local status=0
  lintian --fail-on error,warning --info --pedantic "$work"/lexfray_*.changes >"$work/lintian" 2>&1 ||
    status=$?
  grep -v 'running with root privileges' "$work/lintian"
  [ "$status" = 0 ] || { echo "FAIL: lintian reports errors or warnings" >&2; exit 1; }
}

install_package() {
  step "installing"
  installed=1
  logged install dpkg -i "$deb" || { echo "FAIL: dpkg -i failed" >&2; exit 1; }
  useradd --no-create-home --home-dir /nonexistent --shell /bin/sh "$player"
  id -nG "$player" | grep -qw games && { echo "FAIL: the test user is in the games group" >&2; exit 1; }
  local what expected
  for what in "/usr/games/lexfray 2755 root games" "/var/games/lexfray 2770 root games" \
    "/etc/lexfray/LEXFRAY.CFG 644 root root" "/usr/share/lexfray/quillon.dic 644 root root"; do
    set -- $what
    expected="$2 $3 $4"
    [ "$(stat -c '%a %U %G' "$1")" = "$expected" ] ||
      { echo "FAIL: $1 is $(stat -c '%a %U %G' "$1"), not $expected" >&2; exit 1; }
  done
  [ "$(readlink /var/games/lexfray/LEXFRAY.CFG)" = /etc/lexfray/LEXFRAY.CFG ] ||
    { echo "FAIL: LEXFRAY.CFG is not linked from the program folder" >&2; exit 1; }
}

# A machine can run its users so that a setgid program keeps their group (no_new_privs, a
# nosuid mount), or with capabilities or groups that open the program folder to them. A
# shared installation cannot be played as an unprivileged player there, so those steps are
# skipped, saying why.
players_meet_a_setgid_game() {
  install -m 2755 -o root -g games "$(command -v id)" "$probe"
  player_begin
  cat >"$e2e_dir/probe.sh" <<PROBE
#!/bin/sh
awk '/^(NoNewPrivs|CapEff):/ { printf "%s%s ", \$1, \$2 }' /proc/self/status >$e2e_dir/probe.out
ls /var/games/lexfray >/dev/null 2>&1 && echo "the program folder open to the player; " >>$e2e_dir/probe.out
echo "group of a setgid program: \$($probe -g)" >>$e2e_dir/probe.out
PROBE
  chmod 755 "$e2e_dir/probe.sh"
  start_program probe "$e2e_dir/probe.sh"
  wait_for_end probe
  rm -f "$probe"
  local seen
  seen=$(cat "$e2e_dir/probe.out")
  echo "the player's process: $seen"
  [[ "$seen" != *"open to the player"* ]] &&
    [[ "$seen" == *"CapEff:0000000000000000 "*"program: $(getent group games | cut -d: -f3)" ]]
}

# The fifteen letters of the rack, and the first listed word of 3 to 6 letters they spell.
rack_letters() {
  local row i letters=
  row=$(board_row 21)
  for ((i = 6; i <= 34; i += 2)); do letters+=${row:i:1}; done
  echo "$letters"
}
spellable_word() {
  awk -v rack="$1" '
    BEGIN { for (i = 1; i <= length(rack); i++) have[substr(rack, i, 1)]++ }
    length($0) >= 3 && length($0) <= 6 {
      delete used; ok = 1
      for (i = 1; i <= length($0); i++) { c = substr($0, i, 1); if (++used[c] > have[c]) { ok = 0; break } }
      if (ok) { print; exit }
    }' "$words"
}
score_of() {
  local word=$1 i sum=0
  for ((i = 0; i < ${#word}; i++)); do sum=$((sum + $(printf '%d' "'${word:i:1}"))); done
  echo "$sum"
}

# start_installed_game [NAME]: /usr/games/lexfray as the player, in tmux session NAME.
start_installed_game() {
  printf '#!/bin/sh\ncd /\nPATH=%s/bin:$PATH exec /usr/games/lexfray\n' "$e2e_dir" >"$e2e_dir/run.sh"
  chmod 755 "$e2e_dir/run.sh"
  start_program "${1:-game}" "$e2e_dir/run.sh"
}

# While it waits for the player, the game acts with the player's group; games stays only
# as its saved group, to be taken again for its files.
the_game_waits_with_the_players_group() {
  local pid gid games
  pid=$(pgrep -u "$player" -x lexfray)
  [ -n "$pid" ] || fail "no game process"
  gid=$(id -g "$player")
  games=$(getent group games | cut -d: -f3)
  [ "$(grep '^Gid:' "/proc/$pid/status")" = "$(printf 'Gid:\t%s\t%s\t%s\t%s' "$gid" "$gid" "$games" "$gid")" ] ||
    fail "the waiting game (process $pid, $(ps -o args= -p "$pid")) has $(grep -E '^(Uid|Gid|Groups|CapEff|NoNewPrivs):' "/proc/$pid/status" | tr '\n\t' '  '), not the player's group $gid with games $games saved"
}

# new_player_plays_a_word NAME: from the login list, a new player NAME plays one word the rack
# allows, left in $played, and the game waits for the next.
played=
new_player_plays_a_word() {
  send_keys End Enter
  wait_for "Acquire Player Name"
  send_keys -l "$1"
  send_keys Enter
  wait_at 19 2 "Form a WORD or Select an Option: "
  played=$(spellable_word "$(rack_letters)")
  [ -n "$played" ] || fail "no word for the rack $(rack_letters)"
  send_keys -l "$played"
  send_keys Enter
  wait_at 16 72 "$(printf '%5d' "$(score_of "$played")")"
}

# A second account of the machine starts the game while the first one plays, in a terminal
# of its own: the players' list shows the first player's name, which is not its to play; it
# takes a name of its own and plays a word, so that two accounts are in a game at once.
other_tmux() { runuser -u "$other" -- tmux -S "$e2e_dir/other-sock" "$@"; }
as_other() { e2e_tmux() { other_tmux "$@"; }; e2e_target=other; }
as_first() { e2e_tmux() { runuser -u "$player" -- tmux -S "$e2e_dir/sock" "$@"; }; e2e_target=game; }
other_word=
another_account_plays_meanwhile() {
  useradd --no-create-home --home-dir /nonexistent --shell /bin/sh "$other"
  chmod 1777 "$e2e_dir"
  printf '#!/bin/sh\ncd /\nexec /usr/games/lexfray\n' >"$e2e_dir/other.sh"
  chmod 755 "$e2e_dir/other.sh"
  as_other
  start_program other "$e2e_dir/other.sh"
  wait_at 21 50 "Exit Game"
  send_keys Enter
  wait_for "PLAYER NAME LOGIN"
  wait_for " PAT"
  send_keys Home Enter
  wait_for "NAME TAKEN"
  send_keys Enter
  wait_at 21 50 "Exit Game"
  send_keys Enter
  wait_for "PLAYER NAME LOGIN"
  new_player_plays_a_word Quin
  other_word=$played
  as_first
}

# finish_game SESSION: quits the game and declines another, then waits for the program's end.
finish_game() {
  send_keys q Enter
  wait_for "Are you sure you want to QUIT?"
  send_keys y
  wait_for "WANT TO PLAY ANOTHER GAME?"
  send_keys n
  wait_at 24 28 "Press [ENTER] to Continue"
  send_keys Enter
  wait_for_end "$1"
  [ "$(exit_status "$1")" = 0 ] || fail "the game ended with $(exit_status "$1")"
}

# record_of N: the name and total of record N of the player file.
record_of() {
  perl -e 'open my $f, "<", $ARGV[0] or die; seek $f, ($ARGV[1] - 1) * 133, 0; read $f, my $r, 133;
    printf "%s %d", substr($r, 2, 4) =~ s/ +$//r, unpack("d<", substr($r, 32, 8))' \
    /var/games/lexfray/LEXFRAY.USR "$1"
}

a_player_plays() {
  step "a game played by $player"
  player_begin
  start_installed_game
  wait_at 21 50 "Exit Game"
  send_keys Enter
  wait_for "PLAYER NAME LOGIN"
  new_player_plays_a_word Pat
  local word=$played
  the_game_waits_with_the_players_group

  # A second copy of the same player meanwhile is refused and told which copy runs; another
  # account plays at the same time.
  start_installed_game second
  wait_for "DUPLICATE PROGRAM"
  send_keys Enter
  wait_for "Your other copy of the game is still running (process $(pgrep -o -u "$player" -x lexfray)"
  send_keys Enter
  wait_for_end second
  another_account_plays_meanwhile

  finish_game game
  as_other
  finish_game other
  other_tmux kill-server
  as_first
  [ "$(record_of 1)" = "PAT $(score_of "$word")" ] || fail "record 1 of the player file is '$(record_of 1)'"
  [ "$(record_of 2)" = "QUIN $(score_of "$other_word")" ] ||
    fail "record 2 of the player file is '$(record_of 2)'"
  # Made by this player's game, it stays writable for the next player's: group games, rw.
  local mode
  mode=$(stat -c '%G %A' /var/games/lexfray/LEXFRAY.USR)
  [ "${mode:0:6}${mode:10:2}" = "games rw" ] || fail "the player file is $mode"
}

only_the_game_writes() {
  step "the player cannot write the shared files by hand"
  local usr=/var/games/lexfray/LEXFRAY.USR
  as_player sh -c "exec 3>>$usr" 2>/dev/null && fail "the player opened $usr for writing"
  as_player sh -c "exec 3<$usr" 2>/dev/null && fail "the player read $usr outside the game"
  as_player touch /var/games/lexfray/NEW 2>/dev/null && fail "the player created a file in /var/games/lexfray"
  as_player cp /bin/true /usr/games/lexfray 2>/dev/null && fail "the player overwrote /usr/games/lexfray"
  as_player mv /usr/games/lexfray "$e2e_dir/" 2>/dev/null && fail "the player moved /usr/games/lexfray"
  [ -g /usr/games/lexfray ] || fail "/usr/games/lexfray is no longer setgid"
  true
}

the_browser_runs_without_the_games_group() {
  step "the browser without the games group"
  player_begin
  mkdir "$e2e_dir/bin"
  printf '#!/bin/sh\ngrep "^Gid:" /proc/$$/status >%s/browser-gids\n' "$e2e_dir" >"$e2e_dir/bin/xdg-open"
  chmod 755 "$e2e_dir/bin" "$e2e_dir/bin/xdg-open"
  start_installed_game
  wait_at 21 50 "Exit Game"
  send_keys h
  wait_for "HELP/MISC OPTIONS"
  send_keys Enter
  wait_for "TRANSFER TO OUR WEB SITE"
  send_keys Enter
  retry test -s "$e2e_dir/browser-gids" || fail "the stand-in browser was not started"
  local gid
  gid=$(id -g "$player")
  [ "$(cat "$e2e_dir/browser-gids")" = "$(printf 'Gid:\t%s\t%s\t%s\t%s' "$gid" "$gid" "$gid" "$gid")" ] ||
    fail "the browser ran with the group IDs $(cat "$e2e_dir/browser-gids"), not the player's $gid"
}

the_configuration_edit_survives_a_reinstall() {
  step "the configuration edit over a reinstall"
  sed -i '1s/.*/Package Test Site/' /etc/lexfray/LEXFRAY.CFG
  logged reinstall dpkg -i "$deb" || fail "the reinstall failed"
  [ "$(head -n 1 /etc/lexfray/LEXFRAY.CFG)" = "Package Test Site" ] || fail "the reinstall undid the edit"
}

# The league's public pages: a service and a timer for the organiser to enable, a user of
# their own, and nothing running or enabled by the installation.
the_pages_service_waits_to_be_enabled() {
  step "the public pages' service, off until enabled"
  local unit
  for unit in lexfray-league-pages.service lexfray-league-pages.timer; do
    [ -f "/lib/systemd/system/$unit" ] || fail "$unit is not installed"
    ! ls /etc/systemd/system/*.wants/"$unit" >/dev/null 2>&1 || fail "$unit is enabled"
  done
  getent passwd "$pages_user" >/dev/null || fail "there is no user $pages_user"
  id -nG "$pages_user" | grep -qw games && fail "$pages_user is in the games group"
  if command -v systemd-analyze >/dev/null; then
    systemd-analyze verify --man=no /lib/systemd/system/lexfray-league-pages.timer 2>"$work/verify" ||
      fail "systemd-analyze finds fault with the units: $(cat "$work/verify")"
  fi
  true
}

# The exchange's folder is root's alone, with the one file the game writes there; the purge
# takes it away with the rest.
the_exchange_folder_is_roots() {
  step "leaguenet enable"
  logged enable /usr/games/leaguenet enable || fail "leaguenet enable failed"
  local what
  for what in "/QuillonHomeSoftware/LeagueNet 755 root root" \
    "/QuillonHomeSoftware/LeagueNet/GOLN 660 root games"; do
    set -- $what
    [ "$(stat -c '%a %U %G' "$1")" = "$2 $3 $4" ] || fail "$1 is $(stat -c '%a %U %G' "$1"), not $2 $3 $4"
  done
  [ "$(readlink /QuillonHomeSoftware/LeagueNet/LeagueNet.exe)" = /usr/games/leaguenet ] ||
    fail "LeagueNet.exe does not lead to the exchange program"
}

remove_then_purge() {
  step "removal keeps the players' files, purge leaves nothing"
  dpkg -L lexfray >"$work/files"
  logged remove dpkg -r lexfray || fail "dpkg -r failed"
  [ -f /var/games/lexfray/LEXFRAY.USR ] || fail "the removal deleted the player file"
  [ ! -e /usr/games/lexfray ] || fail "the removal left the executable"
  logged purge dpkg --purge lexfray || fail "dpkg --purge failed"
  installed=0
  # The package's own folders go; folders it shares with others (/usr/games, and /lib, a link
  # where /usr is merged) stay.
  local own="/var/games/lexfray /etc/lexfray /usr/share/lexfray /usr/share/doc/lexfray /QuillonHomeSoftware"
  local path left=
  while read -r path; do
    if [ -d "$path" ] && [[ " $own " != *" $path "* ]] &&
      { [ ! -L "$path" ] || dpkg -S "$path" >/dev/null 2>&1; }; then continue; fi
    if [ -e "$path" ] || [ -L "$path" ]; then left+=" $path"; fi
  done <"$work/files"
  for path in $own; do
    if [ -e "$path" ]; then left+=" $path"; fi
  done
  [ -z "$left" ] || fail "the purge left:$left"
  getent group games >/dev/null || fail "the purge removed the system's games group"
}

build_and_lint
install_package
if players_meet_a_setgid_game; then
  a_player_plays
  only_the_game_writes
  the_browser_runs_without_the_games_group
else
  echo "skipped: playing as an unprivileged player; this machine does not run its users unprivileged under a setgid program"
  # A stand-in for the player file the game would have made, for the removal to keep.
  install -m 660 -g games /dev/null /var/games/lexfray/LEXFRAY.USR
fi
the_configuration_edit_survives_a_reinstall
the_pages_service_waits_to_be_enabled
the_exchange_folder_is_roots
remove_then_purge
echo "ok: package (in ${SECONDS} s)"

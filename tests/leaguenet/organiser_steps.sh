#!/bin/bash
# The documents as a newcomer follows them. Every command block (```sh) of the README's league
# sections runs as written, in order, in one root shell, on a machine without the package,
# without /etc/lexfray and without /srv/www: a throwaway root, the machine's own / under an
# overlay in a mount namespace of its own, dropped at the end. Substituted are the server's name
# (localhost), the cluster's folder, the addresses it listens on and admits, the write-ahead
# log's folder, and the throwaway cluster's socket and port (PGHOST, PGPORT). Stand-ins:
# apt-get installs this build into /usr (leaguenet in /usr/games, as the package has it; the
# game's program folder /usr/lib/lexfray/); systemctl stops and starts the cluster, and for the
# pages' timer runs its service's command once; journalctl shows nothing; sudo runs its command
# (the steps run as root). What the README asks in words between the blocks is done here: the
# site's LEXFRAY.CFG names it on line 1 and switches the competition on with line 32, and a
# player's own copy is installed into ~/.local. leaguenet(6) and LEAGUENET.ADV may show only
# commands that the README runs, and LEAGUENET.ADV shows every command of a site's.
#   organiser_steps.sh SOURCE_DIR LEAGUENET
set -euo pipefail
source_dir=${1:?usage: organiser_steps.sh SOURCE_DIR LEAGUENET}
leaguenet=${2:?usage: organiser_steps.sh SOURCE_DIR LEAGUENET}
build=$(cd "$(dirname "$leaguenet")/.." && pwd)
[ "$(id -u)" -eq 0 ] || { echo "skipped: the steps run as root"; exit 77; }
bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
[ -n "$bin" ] || { echo "PostgreSQL server programs not found" >&2; exit 1; }
[ -x "$build/lexfray/lexfray" ] && [ -f "$build/lexfray/LEXFRAY.CFG" ] ||
  { echo "the steps install this build: build the game first (make game)" >&2; exit 1; }

# The README's blocks of one kind within its league sections, each line as it is typed, a
# line "--" after each block.
readme_blocks() {
  awk -v kind="$1" '/^## / {league = /^## LeagueNET/} league && $0 == "```" kind {on = 1; next}
    on && /^```$/ {on = 0; print "--"; next} on' "$source_dir/README.md"
}
# Lines as a shell takes them: continued lines joined, indentation and the comments after two
# blanks dropped.
commands() {
  sed -e ':a' -e '/\\$/{N; s/\\\n[[:space:]]*/ /; ba' -e '}' |
    sed -e 's/^[[:space:]]*//; s/[[:space:]]\{2,\}#.*$//; s/[[:space:]]\{1,\}/ /g' |
    grep -v '^\(--\)\{0,1\}$' || true
}
# The preformatted blocks of leaguenet(6), in the text they show.
manual_blocks() {
  awk '/^\.nf$/ {on = 1; next} /^\.fi$/ {on = 0; print "--"; next} on' "$source_dir/doc/leaguenet.6" |
    sed 's/\\-/-/g; s/\\e/\\/g'
}
# The lines of LEAGUENET.ADV that begin with a command a site or the organiser types.
adv_commands() {
  tr -d '\r' <"$source_dir/data/LEAGUENET.ADV" | commands |
    grep -E '^(install |leaguenet |sudo |~/.local/games/leaguenet |db=|PATH=|cmake |systemctl )' || true
}
# Fails, naming them, when lines of $2 are missing from $3: "$1 ... $4".
all_in() {
  local missing
  missing=$(grep -vxF -f <(printf '%s\n' "$3") <<<"$2" || true)
  [ -z "$missing" ] || { printf '%s%s:\n%s\n' "$1" "$4" "$missing" >&2; exit 1; }
}

work=$(mktemp -d /tmp/leaguenet-organiser.XXXXXX)
conf=$work/cluster
socket=$work/socket
chmod 755 "$work"
mkdir -p "$work/blocks" "$work/layers" "$work/root" "$conf" "$socket"
chown postgres "$conf" "$socket"
chmod 700 "$conf" "$socket"
cleanup() {
  local status=$?
  runuser -u postgres -- "$bin/pg_ctl" -D "$conf" -m immediate -w stop >/dev/null 2>&1 || true
  if [ "$status" = 0 ] || [ "$status" = 77 ]; then rm -rf "$work"; else echo "the test's folder is kept: $work" >&2; fi
}
trap cleanup EXIT

steps=$(readme_blocks sh)
awk -v into="$work/blocks/" '/^--$/ {close(into n); n++; next} {print > (into (n + 0))}' <<<"$steps"
count=$(ls "$work/blocks" | wc -l)
[ "$count" -eq 5 ] || {
  echo "the README's league sections hold $count blocks of commands, not the organiser's," \
    "a site's, a player's own copy's, the pages' and their timer's" >&2
  exit 1
}
block() { cat "$work/blocks/$1"; }
run=$(commands <<<"$steps")
organiser=$(awk '/^\.SH EXAMPLES/ {on = 1} on && /^\.nf$/ {take = 1; next} take && /^\.fi$/ {exit} take' \
  "$source_dir/doc/leaguenet.6" | sed 's/\\-/-/g; s/\\e/\\/g')
if [ "$(block 0)" != "$organiser" ]; then
  echo "the README and leaguenet(6) show different organiser's steps:" >&2
  diff <(block 0) <(printf '%s\n' "$organiser") >&2 || true
  exit 1
fi
all_in "leaguenet(6)" "$(manual_blocks | commands)" \
  "$(printf '%s\n%s\n' "$run" "$(readme_blocks nginx; readme_blocks apache)" | commands)" \
  " shows what the README does not"
all_in "LEAGUENET.ADV" "$(adv_commands)" "$run" " shows commands that the README does not run"
all_in "LEAGUENET.ADV" "$( (block 1; block 2) | commands)" "$(adv_commands)" \
  " leaves out commands of a site's that the README runs"

port=$(( 20000 + $(od -An -N2 -tu2 /dev/urandom) % 30000 ))
runuser -u postgres -- "$bin/initdb" -D "$conf" -U postgres --auth-local=peer \
  --auth-host=scram-sha-256 --no-sync >"$work/initdb.log" 2>&1 || { cat "$work/initdb.log" >&2; exit 1; }
printf "port = %s\nunix_socket_directories = '%s'\nlisten_addresses = ''\nfsync = off\n" \
  "$port" "$socket" >>"$conf/postgresql.conf"
runuser -u postgres -- "$bin/pg_ctl" -D "$conf" -l "$socket/server.log" -w start >/dev/null

site_config() {  # what the site's admin does first to the game's LEXFRAY.CFG in that folder
  printf "sed -i '1s/.*/Riverside Club/; 32s/.*/1/' %s/LEXFRAY.CFG\n" "$1"
}
pages_service=$(sed -n 's/^ExecStart=//p' "$source_dir/debian/lexfray.lexfray-league-pages.service" |
  sed 's|%d|/etc/lexfray|')
cat >"$work/steps.sh" <<END
apt-get() { cmake --install "$build" --prefix /usr >/dev/null; }
systemctl() {
  case "\$*" in
    "stop postgresql" | "start postgresql")
      runuser -u postgres -- "$bin/pg_ctl" -D "$conf" -l "$socket/server.log" -w "\$1" >/dev/null ;;
    "enable --now lexfray-league-pages.timer") $pages_service ;;
    *) echo "systemctl \$*: no stand-in" >&2; return 1 ;;
  esac
}
journalctl() { :; }
sudo() { "\$@"; }
set -euo pipefail
$(block 0 | sed "s|^host=.*|host=localhost|; s|^conf=.*|conf=$conf|;
  s|^listen=.*|listen=127.0.0.1|; s|^sites=.*|sites=127.0.0.1/32|; s|^wal=.*|wal=$work/wal|")
$(site_config /usr/lib/lexfray)
$(block 1)
cmake --install "$build" --prefix ~/.local >/dev/null
$(site_config '~/.local/lib/lexfray')
$(block 2)
$(block 3)
$(block 4)
[ "\$(stat -c '%a %U:%G' /etc/lexfray/leaguenet.conf /etc/lexfray/league-pages.conf riverside.conf)" = \
  "640 root:games
600 root:root
640 root:root" ]
grep -q '<span class="league">River Valley League</span>' /srv/www/league/index.html
grep -q '"league":"River Valley League",' /var/lib/lexfray-league/pages/standings.json
END

# The throwaway root: the machine's own, with what a fresh one lacks taken away in it.
unshare --mount --propagation private true 2>/dev/null ||
  { echo "skipped: no mount namespace of its own here"; exit 77; }
unshare --mount --propagation private bash -euo pipefail -c '
  work=$1
  mount -t tmpfs -o mode=755 layers "$work/layers"
  mkdir "$work/layers/upper" "$work/layers/work"
  mount -t overlay overlay \
    -o "lowerdir=/,upperdir=$work/layers/upper,workdir=$work/layers/work" "$work/root"
  for system in /proc /dev /sys; do mount --rbind "$system" "$work/root$system"; done
  mount --bind "$work" "$work/root$work"
  cd "$work/root"
  rm -rf etc/lexfray srv/www QuillonHomeSoftware var/games/lexfray var/lib/lexfray-league \
    usr/games/leaguenet usr/games/lexfray usr/lib/lexfray root/.local root/.pgpass
  chroot "$work/root" env -i HOME=/root USER=root LOGNAME=root LANG=C.UTF-8 \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    PGHOST="$work/socket" PGPORT="$2" bash "$work/steps.sh"
' steps "$work" "$port" || {
  echo "the documents' steps failed" >&2
  cat "$socket/server.log" >&2
  exit 1
}

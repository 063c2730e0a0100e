#!/bin/bash
# The organiser's steps of the README run as written against a throwaway cluster: the commands
# of its fenced block, with the server's name, the cluster's folder, the addresses it listens on
# and admits and the write-ahead log's folder set for this machine, and stand-ins for installing
# the packages and for the service. The man page must show the same commands. check-server, the
# last of them, finds the server as the steps leave it in order; the site's settings that come
# out of them work.
#   organiser_steps.sh SOURCE_DIR LEAGUENET
set -euo pipefail
source_dir=${1:?usage: organiser_steps.sh SOURCE_DIR LEAGUENET}
leaguenet=${2:?usage: organiser_steps.sh SOURCE_DIR LEAGUENET}
[ "$(id -u)" -eq 0 ] || { echo "skipped: the steps run as root"; exit 77; }
bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
[ -n "$bin" ] || { echo "PostgreSQL server programs not found" >&2; exit 1; }

steps=$(awk '/^```sh$/ {on = 1; next} /^```$/ {on = 0} on' "$source_dir/README.md")
manual=$(awk '/^\.SH EXAMPLES/ {examples = 1} examples && /^\.nf$/ {on = 1; next} on && /^\.fi$/ {exit} on' \
  "$source_dir/doc/leaguenet.6" | sed 's/\\-/-/g; s/\\e/\\/g')
if [ "$steps" != "$manual" ]; then
  echo "the README and leaguenet(6) show different steps:" >&2
  diff <(printf '%s\n' "$steps") <(printf '%s\n' "$manual") >&2 || true
  exit 1
fi

work=$(mktemp -d /tmp/leaguenet-organiser.XXXXXX)
conf=$work/cluster
socket=$work/socket
chmod 755 "$work"
mkdir -p "$work/home" "$work/bin" "$conf" "$socket"
chown postgres "$conf" "$socket"
chmod 700 "$conf" "$socket" "$work/home"
cleanup() {
  runuser -u postgres -- "$bin/pg_ctl" -D "$conf" -m immediate -w stop >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

port=$(( 20000 + $(od -An -N2 -tu2 /dev/urandom) % 30000 ))
runuser -u postgres -- "$bin/initdb" -D "$conf" -U postgres --auth-local=peer \
  --auth-host=scram-sha-256 --no-sync >"$work/initdb.log" 2>&1 || { cat "$work/initdb.log" >&2; exit 1; }
printf "port = %s\nunix_socket_directories = '%s'\nlisten_addresses = ''\nfsync = off\n" \
  "$port" "$socket" >>"$conf/postgresql.conf"
runuser -u postgres -- "$bin/pg_ctl" -D "$conf" -l "$socket/server.log" -w start >/dev/null

ln -s "$leaguenet" "$work/bin/leaguenet"
cat >"$work/steps.sh" <<END
apt-get() { :; }
systemctl() { runuser -u postgres -- "$bin/pg_ctl" -D "$conf" -l "$socket/server.log" -w "\$1" >/dev/null; }
set -euo pipefail
$(printf '%s\n' "$steps" | sed "s|^host=.*|host=localhost|; s|^conf=.*|conf=$conf|;
  s|^listen=.*|listen=127.0.0.1|; s|^sites=.*|sites=127.0.0.1/32|; s|^wal=.*|wal=$work/wal|")
END
(cd "$work" && HOME=$work/home PATH=$work/bin:$PATH PGHOST=$socket PGPORT=$port bash "$work/steps.sh") ||
  { echo "the organiser's steps failed" >&2; cat "$socket/server.log" >&2; exit 1; }

settings=$conf/riverside.conf
[ "$(stat -c %a "$settings")" = 640 ] || { echo "riverside.conf is not mode 640" >&2; exit 1; }
grep -q "sslrootcert='/etc/lexfray/league-ca.crt'" "$settings" ||
  { echo "riverside.conf names no CA where the site keeps it" >&2; exit 1; }
# At the site, the league's CA is where the settings say.
(umask 077 && sed "s|/etc/lexfray/league-ca.crt|$conf/league-ca.crt|" "$settings" >"$work/site.conf")
check=$(HOME=$work/home "$leaguenet" check --config "$work/site.conf" || true)
printf '%s\n' "$check"
grep -q "^ok    TLS: TLSv1" <<<"$check" && grep -q "^ok    credentials: site RIVERSIDE CLUB (RVC)" <<<"$check"

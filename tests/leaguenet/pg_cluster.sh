#!/bin/sh
# A throwaway PostgreSQL cluster for the leaguenet tests, shared by all of them:
#   pg_cluster.sh start STATE   initdb in a new folder under /tmp, TLS on with a certificate
#                               authority made here, listening on 127.0.0.1 and a socket in
#                               that folder; writes STATE/cluster.env and STATE/pgpass
#   pg_cluster.sh stop STATE    stops it and removes everything
# As root (CI) the server runs as the postgres user, since PostgreSQL refuses root.
# Nobody else on the machine gets in: the folder is the server's alone, every role logs in with
# its password, and the tests' organiser (a role that may create databases and roles, no
# superuser) has its password in STATE/pgpass, readable by its owner alone.
# LEAGUENET_PG_MAX_CONNECTIONS sets max_connections (150 by default); LEAGUENET_PG_ROOT the
# folder the cluster's own is made in (/tmp by default). The server logs its errors with the
# database's name to server.log in that folder, for the tests to show when they fail.
set -eu
action=${1:?usage: pg_cluster.sh start|stop STATE_DIR}
state=${2:?usage: pg_cluster.sh start|stop STATE_DIR}
bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
[ -n "$bin" ] || { echo "PostgreSQL server programs not found (apt-get install postgresql)" >&2; exit 1; }

as_server() {
  if [ "$(id -u)" -eq 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}

stop_cluster() {
  [ -f "$state/cluster.env" ] || return 0
  dir=$(sed -n 's/^LEAGUENET_PG_DIR=//p' "$state/cluster.env")
  [ -n "$dir" ] && [ -d "$dir/data" ] && as_server "$bin/pg_ctl" -D "$dir/data" -m immediate -w stop >/dev/null 2>&1 || true
  [ -n "$dir" ] && rm -rf "$dir"
  rm -f "$state/cluster.env" "$state/pgpass"
}

# The certificates hold from 2000 to 2099: the tests run the exchange at moments of their own
# choosing, and TLS checks the certificate's dates against the exchange's clock.
# libfaketime is preloaded, not run through its faketime wrapper, whose named semaphores are
# left behind by a run that is cut short and make a later run with the same pid fail.
faketime_library=$(ls /usr/lib/*/faketime/libfaketime.so.1 /usr/lib/faketime/libfaketime.so.1 \
  2>/dev/null | head -n 1)
backdated() { LD_PRELOAD=$faketime_library FAKETIME='@2000-01-01 00:00:00' "$@"; }
days=36500

# certificate NAME CA_NAME: NAME.key and NAME.crt signed by CA_NAME, for 127.0.0.1 and localhost.
certificate() {
  openssl req -new -nodes -newkey rsa:2048 -keyout "$1.key" -out "$1.csr" -subj "/CN=localhost" &&
    printf 'subjectAltName=IP:127.0.0.1,DNS:localhost\n' >"$1.ext" &&
    backdated openssl x509 -req -in "$1.csr" -CA "$2.crt" -CAkey "$2.key" -CAcreateserial \
      -days $days -extfile "$1.ext" -out "$1.crt"
}

authority() {
  backdated openssl req -new -x509 -nodes -newkey rsa:2048 -days $days -keyout "$1.key" \
    -out "$1.crt" -subj "/CN=$1 league test authority"
}

case $action in
  stop) stop_cluster; exit 0 ;;
  start) ;;
  *) echo "unknown action $action" >&2; exit 2 ;;
esac

stop_cluster
mkdir -p "$state"
state=$(cd "$state" && pwd)
dir=$(mktemp -d "${LEAGUENET_PG_ROOT:-/tmp}/leaguenet-pg.XXXXXX")
chmod 700 "$dir"
password() { od -An -N18 -tx1 /dev/urandom | tr -d ' \n'; }
superuser_password=$(password)
organiser_password=$(password)
(umask 077 && printf '%s\n' "$superuser_password" >"$dir/superuser.password" &&
  printf '*:*:*:organiser:%s\n*:*:*:postgres:%s\n' "$organiser_password" "$superuser_password" >"$state/pgpass")
# A cluster that did not come up is stopped and its folder kept, for its logs.
keep_failed_cluster() {
  as_server "$bin/pg_ctl" -D "$dir/data" -m immediate stop >/dev/null 2>&1 || true
  echo "the cluster's folder is kept: $dir" >&2
}
trap keep_failed_cluster EXIT
# (Chained with &&: a tested subshell does not stop at a failure by itself.)
(
  cd "$dir" && authority ca && authority wrong && certificate server ca &&
    rm -f ./*.csr ./*.ext ./*.srl && chmod 600 server.key
) 2>"$dir/certificates.log" || { cat "$dir/certificates.log" >&2; exit 1; }
[ "$(id -u)" -eq 0 ] && chown -R postgres "$dir"

as_server "$bin/initdb" -D "$dir/data" -U postgres -E UTF8 --no-sync --pwfile="$dir/superuser.password" \
  --auth=scram-sha-256 >"$dir/initdb.log" 2>&1 || { cat "$dir/initdb.log" >&2; exit 1; }
rm -f "$dir/superuser.password"
cat >"$dir/data/pg_hba.conf" <<HBA
local   all       all                    scram-sha-256
hostssl all       all       127.0.0.1/32 scram-sha-256
HBA

for attempt in 1 2 3 4 5; do
  port=$(( 20000 + $(od -An -N2 -tu2 /dev/urandom) % 30000 ))
  cat >>"$dir/data/postgresql.conf" <<CONF
listen_addresses = '127.0.0.1'
port = $port
unix_socket_directories = '$dir'
ssl = on
ssl_cert_file = '$dir/server.crt'
ssl_key_file = '$dir/server.key'
fsync = off
synchronous_commit = off
full_page_writes = off
max_connections = ${LEAGUENET_PG_MAX_CONNECTIONS:-150}
shared_buffers = 32MB
log_min_messages = error
log_line_prefix = '%m [%p] %d '
CONF
  if as_server "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 30 start >/dev/null 2>&1; then
    psql -qX "host=$dir port=$port dbname=postgres user=postgres passfile=$state/pgpass" -c \
      "CREATE ROLE organiser LOGIN CREATEDB CREATEROLE IN ROLE pg_signal_backend PASSWORD '$organiser_password'" \
      >/dev/null || exit 1
    cat >"$state/cluster.env" <<ENV
LEAGUENET_PG_DIR=$dir
LEAGUENET_PG_PORT=$port
LEAGUENET_PG_CA=$dir/ca.crt
LEAGUENET_PG_WRONG_CA=$dir/wrong.crt
LEAGUENET_PG_ORGANISER='host=127.0.0.1 port=$port user=organiser passfile=$state/pgpass sslmode=verify-full sslrootcert=$dir/ca.crt'
ENV
    trap - EXIT
    exit 0
  fi
done
echo "--- the end of $dir/server.log:" >&2
tail -n 30 "$dir/server.log" >&2
exit 1

#!/bin/sh
# A throwaway PostgreSQL cluster for the leaguenet tests, shared by all of them:
#   pg_cluster.sh start STATE   initdb in a new folder under /tmp, TLS on with a certificate
#                               authority made here, listening on 127.0.0.1 and a socket in
#                               that folder; writes STATE/cluster.env
#   pg_cluster.sh stop STATE    stops it and removes everything
# As root (CI) the server runs as the postgres user, since PostgreSQL refuses root.
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
  rm -f "$state/cluster.env"
}

# certificate NAME CA_NAME: NAME.key and NAME.crt signed by CA_NAME, for 127.0.0.1 and localhost.
certificate() {
  openssl req -new -nodes -newkey rsa:2048 -keyout "$1.key" -out "$1.csr" -subj "/CN=localhost" 2>/dev/null
  printf 'subjectAltName=IP:127.0.0.1,DNS:localhost\n' >"$1.ext"
  openssl x509 -req -in "$1.csr" -CA "$2.crt" -CAkey "$2.key" -CAcreateserial -days 2 \
    -extfile "$1.ext" -out "$1.crt" 2>/dev/null
}

authority() {
  openssl req -new -x509 -nodes -newkey rsa:2048 -days 2 -keyout "$1.key" -out "$1.crt" \
    -subj "/CN=$1 league test authority" 2>/dev/null
}

case $action in
  stop) stop_cluster; exit 0 ;;
  start) ;;
  *) echo "unknown action $action" >&2; exit 2 ;;
esac

stop_cluster
mkdir -p "$state"
dir=$(mktemp -d /tmp/leaguenet-pg.XXXXXX)
chmod 755 "$dir"
trap 'as_server "$bin/pg_ctl" -D "$dir/data" -m immediate stop >/dev/null 2>&1 || true; rm -rf "$dir"' EXIT
(
  cd "$dir"
  authority ca
  authority wrong
  certificate server ca
  rm -f ./*.csr ./*.ext ./*.srl
  chmod 600 server.key
)
[ "$(id -u)" -eq 0 ] && chown postgres "$dir" "$dir/server.key" "$dir/server.crt"

as_server "$bin/initdb" -D "$dir/data" -U postgres -E UTF8 --no-sync --auth-local=trust \
  --auth-host=scram-sha-256 >"$dir/initdb.log" 2>&1 || { cat "$dir/initdb.log" >&2; exit 1; }
cat >"$dir/data/pg_hba.conf" <<HBA
local   all       all                    trust
hostssl all       postgres  127.0.0.1/32 trust
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
max_connections = 150
shared_buffers = 32MB
log_min_messages = fatal
CONF
  if as_server "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 30 start >/dev/null 2>&1; then
    cat >"$state/cluster.env" <<ENV
LEAGUENET_PG_DIR=$dir
LEAGUENET_PG_PORT=$port
LEAGUENET_PG_CA=$dir/ca.crt
LEAGUENET_PG_WRONG_CA=$dir/wrong.crt
ENV
    trap - EXIT
    exit 0
  fi
done
cat "$dir/server.log" >&2
exit 1

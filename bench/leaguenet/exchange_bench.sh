#!/bin/bash
# The exchange against a league of 10,000 sites with 100 players each this month (10^6
# entries), on a server with PostgreSQL's default of 100 connections: wall time of whole runs
# (process start to end, connection included), the server's CPU time per exchange over 100
# exchanges one after another, the plans of the league's functions' queries, and the
# exchange's peak memory; then 200 sites exchanging at the same moment, once alone and once
# while a hostile site holds every connection it may have, one of them in a transaction with
# its rows locked.
#   LEAGUENET  the built leaguenet program
set -euo pipefail
leaguenet=${LEAGUENET:?the built leaguenet program}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d /tmp/leaguenet-bench.XXXXXX)
hostile=()
cleanup() {
  for pid in "${hostile[@]}"; do kill "$pid" 2>/dev/null || true; done
  sh "$here/../../tests/leaguenet/pg_cluster.sh" stop "$work/state"
  rm -rf "$work"
}
trap cleanup EXIT
LEAGUENET_PG_MAX_CONNECTIONS=100 sh "$here/../../tests/leaguenet/pg_cluster.sh" start "$work/state"
. "$work/state/cluster.env"
server="$LEAGUENET_PG_ORGANISER"
superuser="host=127.0.0.1 port=$LEAGUENET_PG_PORT user=postgres passfile=$work/state/pgpass sslmode=verify-full sslrootcert=$LEAGUENET_PG_CA dbname=league"
db="$server dbname=league"
sql() { psql -qAtX -v ON_ERROR_STOP=1 "$db" -c "$1"; }
now_ns() { date +%s%N; }
crowd=200
echo "load average at the start: $(cut -d" " -f1-3 /proc/loadavg)"
month=$(date +%m)
first_day=$(date +%Y-%m-01)

psql -qX "$server dbname=postgres" -c "CREATE DATABASE league" >/dev/null
"$leaguenet" init-league --db "$db" >/dev/null

# 200 sites and a hostile one with credentials of their own, 9,800 more filled in directly.
for i in $(seq 1 "$crowd"); do
  mkdir -p "$work/site$i"
  "$leaguenet" add-site --db "$db" --site "CROWD $i" --loc "C$(printf %02d $((i % 100)))" \
    --site-ca "$LEAGUENET_PG_CA" --out "$work/site$i/leaguenet.conf" >/dev/null 2>&1
done
"$leaguenet" add-site --db "$db" --site EAST --loc EST --site-ca "$LEAGUENET_PG_CA" \
  --out "$work/east.conf" >/dev/null 2>&1
sql "INSERT INTO league.sites SELECT 'SITE ' || i, 'S' || lpad((i % 100)::text, 2, '0'), 'nobody_' || i
     FROM generate_series($crowd + 1, 10000) i"
sql "INSERT INTO league.entries (month, site, player, score, last_date, plays, game_code)
     SELECT '$first_day', s.name, 'PLAYER ' || p, floor(random() * 100000), '$month-01', '5', 'LEXFRAY0'
     FROM league.sites s, generate_series(1, 100) p WHERE s.name <> 'EAST'"
sql "VACUUM ANALYZE league.entries"
echo "league: $(sql 'SELECT count(*) FROM league.sites') sites, $(sql 'SELECT count(*) FROM league.entries') entries this month"

# A site's score file and player file of 100 players, as the game writes them today.
site_files() {
  perl -e '
    my ($site, $folder, $month, $day, $year) = @ARGV;
    open(my $isc, ">", "$folder/LEXFRAY.ISC") or die;
    open(my $usr, ">", "$folder/LEXFRAY.USR") or die;
    print $isc "\0" x 22, "00", pack("A25", "No Score-To-Beat As Yet"), pack("A5", " 1.6"), "\0" x 6,
      pack("d<", 0), "\0" x 8, " " x 35, "\0" x 140;
    for my $p (1 .. 100) {
      print $isc pack("A35", $site), pack("A25", "LOCAL $p"), pack("d<", 1000 + $p), "LEXFRAY0",
        "$month-$day", " ", "   ", sprintf("%5d", 3), " " x 41, "\0" x 120;
      print $usr $month, pack("A30", "LOCAL $p"), pack("d<", 1000 + $p), pack("s<", 3),
        "$month-$day-$year", pack("s<", 1), "Y", "\0" x 80;
    }
  ' "$1" "$2" "$month" "$(date +%d)" "$(date +%y)"
}
for i in $(seq 1 "$crowd"); do site_files "CROWD $i" "$work/site$i"; done

echo
echo "== one exchange against 10^6 entries (wall time of the whole program, 10 runs)"
times=()
for run in $(seq 1 10); do
  start=$(now_ns)
  (cd "$work/site1" && "$leaguenet" --config leaguenet.conf >/dev/null)
  times+=($((($(now_ns) - start) / 1000000)))
done
printf '%s\n' "${times[@]}" | sort -n | awk '{t[NR] = $1} END {printf "min %d ms, median %d ms, max %d ms\n", t[1], t[int((NR + 1) / 2)], t[NR]}'
echo "file: $(($(stat -c %s "$work/site1/LEXFRAY.ISC") / 251 - 1)) entries"

# CPU time in clock ticks of the server: the postmaster with the backends it has reaped, and
# its processes still running.
server_ticks() {
  local postmaster ticks=0 pid fields
  postmaster=$(head -n 1 "$LEAGUENET_PG_DIR/data/postmaster.pid")
  for pid in $postmaster $(pgrep -P "$postmaster"); do
    read -r -a fields < <(sed 's/^.*) //' "/proc/$pid/stat" 2>/dev/null) || continue
    ticks=$((ticks + fields[11] + fields[12] + fields[13] + fields[14]))
  done
  echo "$ticks"
}

echo
echo "== the server's CPU time per exchange, over 100 exchanges one after another"
sleep 1
before=$(server_ticks)
start=$(now_ns)
for run in $(seq 1 100); do
  (cd "$work/site1" && "$leaguenet" --config leaguenet.conf >/dev/null)
done
elapsed=$((($(now_ns) - start) / 1000000))
sleep 1
ticks=$(($(server_ticks) - before))
echo "server $((ticks * 1000 / $(getconf CLK_TCK) / 100)) ms of CPU per exchange; $((elapsed / 100)) ms wall per exchange"

echo
echo "== init-league again on the league of 10^6 entries, at its step: nothing to do (5 runs)"
for run in $(seq 1 5); do
  start=$(now_ns)
  "$leaguenet" init-league --db "$db" >/dev/null
  printf '%d ms ' $((($(now_ns) - start) / 1000000))
done
echo

echo
echo "== peak memory of the exchange (maximum resident set)"
(cd "$work/site1" && /usr/bin/time -f "%M KiB" "$leaguenet" --config leaguenet.conf >/dev/null)

echo
echo "== the plans of the functions' queries, as site CROWD 1 calls them"
role=$(sql "SELECT role_name FROM league.sites WHERE name = 'CROWD 1'")
psql -qAtX "$superuser" 2>&1 <<SQL | sed -n 's/^NOTICE:  //p; /^ /p; /Query Text/p' | grep -v '^$'
LOAD 'auto_explain';
SET auto_explain.log_min_duration = 0;
SET auto_explain.log_analyze = on;
SET auto_explain.log_timing = off;
SET auto_explain.log_nested_statements = on;
SET auto_explain.log_level = notice;
SET SESSION AUTHORIZATION "$role";
SELECT count(*) FROM league.exchange('$first_day', '{LOCAL 1,LOCAL 2}', '{2001,2002}', '{$month-02,$month-02}', '{4,4}', '{LEXFRAY0,LEXFRAY0}', 2000);
SQL

# All sites at the same moment: each waits for the gate, a lock this shell holds until all
# are started; prints the slowest run, how many failed and how many found the league full.
exchange_together() {
  local start elapsed failed=0 slowest=0 retried=0 most=1 pids=() attempts
  exec 8>"$work/gate"
  flock -x 8
  for i in $(seq 1 "$crowd"); do
    (flock -s 9 && cd "$work/site$i" && s=$(now_ns) &&
     "$leaguenet" --config leaguenet.conf >"$work/site$i/out" 2>"$work/site$i/err";
     echo "$? $((($(now_ns) - s) / 1000000))" >"$work/site$i/rc") 8>&- 9<"$work/gate" &
    pids+=($!)
  done
  sleep 2
  start=$(now_ns)
  flock -u 8
  exec 8>&-
  wait "${pids[@]}"
  elapsed=$((($(now_ns) - start) / 1000000))
  for i in $(seq 1 "$crowd"); do
    read -r rc took <"$work/site$i/rc"
    [ "$rc" = 0 ] || { failed=$((failed + 1)); cat "$work/site$i/err"; }
    [ "$took" -gt "$slowest" ] && slowest=$took
    attempts=$(sed -n 's/.*(\([0-9]*\) attempts to connect.*/\1/p' "$work/site$i/out" "$work/site$i/err")
    if [ -n "$attempts" ]; then
      retried=$((retried + 1))
      [ "$attempts" -gt "$most" ] && most=$attempts
    fi
  done
  echo "all $crowd in $elapsed ms, the slowest $slowest ms, $failed failed;" \
    "$retried found the league full and tried again, at most $most attempts"
  [ "$failed" = 0 ]
}

status=0
echo
echo "== $crowd sites exchanging at the same moment (load average $(cut -d" " -f1 /proc/loadavg))"
exchange_together || status=1
uploads=$(sql "SELECT count(*) FROM league.entries WHERE site LIKE 'CROWD %' AND player LIKE 'LOCAL %'")
echo "the crowd's uploads: $uploads of $((crowd * 100))"
[ "$uploads" = $((crowd * 100)) ] || status=1

echo
echo "== the same while EAST holds its 3 connections, one in a transaction holding its rows"
east=$(sed -n 's/^league = //p' "$work/east.conf")
psql -qAtX "$east" -c "BEGIN" \
  -c "SELECT league.upload('$first_day', '{EVE}', '{5}', '{$month-01}', '{1}', '{X}')" \
  -c "SELECT pg_sleep(25)" >/dev/null 2>&1 &
hostile+=($!)
for n in 2 3; do
  psql -qAtX "$east" -c "SELECT pg_sleep(25)" >/dev/null 2>&1 &
  hostile+=($!)
done
sleep 1
echo "EAST's connections: $(sql "SELECT count(*) FROM pg_stat_activity WHERE usename = (SELECT role_name FROM league.sites WHERE name = 'EAST')")"
exchange_together || status=1
exit "$status"

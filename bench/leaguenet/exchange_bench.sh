#!/bin/bash
# The exchange against a league of 1,000 sites with 100 players each this month (10^5
# entries): wall time of whole runs (process start to end, connection included), the plan of
# the league's query, and the exchange's peak memory; then 50 sites exchanging at the same
# moment, with a count of what arrived.
#   LEAGUENET  the built leaguenet program
set -euo pipefail
leaguenet=${LEAGUENET:?the built leaguenet program}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d /tmp/leaguenet-bench.XXXXXX)
cleanup() { sh "$here/../../tests/leaguenet/pg_cluster.sh" stop "$work/state"; rm -rf "$work"; }
trap cleanup EXIT
sh "$here/../../tests/leaguenet/pg_cluster.sh" start "$work/state"
. "$work/state/cluster.env"
server="$LEAGUENET_PG_ORGANISER"
db="$server dbname=league"
sql() { psql -qAt -v ON_ERROR_STOP=1 "$db" -c "$1"; }
now_ns() { date +%s%N; }
month=$(date -u +%m)

psql -q "$server dbname=postgres" -c "CREATE DATABASE league" >/dev/null
"$leaguenet" init-league --db "$db" >/dev/null

# 50 sites with credentials of their own (the crowd below) and 950 more filled in directly.
for i in $(seq 1 50); do
  mkdir -p "$work/site$i"
  "$leaguenet" add-site --db "$db" --site "CROWD $i" --loc "C$(printf %02d "$i")" >"$work/site$i/leaguenet.conf"
done
sql "INSERT INTO league.sites SELECT 'SITE ' || i, 'S' || lpad((i % 100)::text, 2, '0'), 'nobody_' || i
     FROM generate_series(51, 1000) i"
sql "INSERT INTO league.entries (month, site, player, score, last_date, plays, game_code)
     SELECT date_trunc('month', now() AT TIME ZONE 'UTC'), s.name, 'PLAYER ' || p,
            floor(random() * 100000), '$month-01', '5', 'LEXFRAY0'
     FROM league.sites s, generate_series(1, 100) p"
sql "ANALYZE league.entries"
echo "league: $(sql 'SELECT count(*) FROM league.sites') sites, $(sql 'SELECT count(*) FROM league.entries') entries this month"

# A site's score file of 100 players, as the game's export writes it.
score_file() {
  perl -e '
    my ($site, $month) = @ARGV;
    print "\0" x 22, "00", pack("A25", "No Score-To-Beat As Yet"), pack("A5", " 1.6"), "\0" x 6,
      pack("d<", 0), "\0" x 8, " " x 35, "\0" x 140;
    for my $p (1 .. 100) {
      print pack("A35", $site), pack("A25", "LOCAL $p"), pack("d<", 1000 + $p), "LEXFRAY0",
        "$month-02", " ", "   ", sprintf("%5d", 3), " " x 41, "\0" x 120;
    }
  ' "$1" "$month"
}
for i in $(seq 1 50); do score_file "CROWD $i" >"$work/site$i/LEXFRAY.ISC"; done

echo
echo "== one exchange against 10^5 entries (wall time of the whole program, 10 runs)"
times=()
for run in $(seq 1 10); do
  start=$(now_ns)
  (cd "$work/site1" && "$leaguenet" --config leaguenet.conf >/dev/null)
  times+=($((($(now_ns) - start) / 1000000)))
done
printf '%s\n' "${times[@]}" | sort -n | awk '{t[NR] = $1} END {printf "min %d ms, median %d ms, max %d ms\n", t[1], t[int((NR + 1) / 2)], t[NR]}'
echo "file: $(($(stat -c %s "$work/site1/LEXFRAY.ISC") / 251 - 1)) entries"

echo
echo "== peak memory of the exchange (maximum resident set)"
(cd "$work/site1" && /usr/bin/time -f "%M KiB" "$leaguenet" --config leaguenet.conf >/dev/null)

echo
echo "== the plan of the league's query for the other sites' best 2000"
psql -qAt "$db" <<SQL
EXPLAIN (ANALYZE, COSTS OFF, TIMING OFF)
SELECT e.site, s.loc, e.player, e.score, e.last_date, e.plays, e.game_code
FROM league.entries e JOIN league.sites s ON s.name = e.site
WHERE e.month = date_trunc('month', now() AT TIME ZONE 'UTC')::date AND e.site <> 'CROWD 1'
ORDER BY e.score DESC LIMIT 2000;
SQL

echo
echo "== 50 sites exchanging at the same moment"
before=$(sql "SELECT count(*) FROM league.entries")
start=$(now_ns)
for i in $(seq 1 50); do
  (cd "$work/site$i" && "$leaguenet" --config leaguenet.conf >/dev/null 2>"$work/site$i/err"; echo $? >"$work/site$i/rc") &
done
wait
elapsed=$((($(now_ns) - start) / 1000000))
failed=0
for i in $(seq 1 50); do [ "$(cat "$work/site$i/rc")" = 0 ] || { failed=$((failed + 1)); cat "$work/site$i/err"; }; done
after=$(sql "SELECT count(*) FROM league.entries")
crowd=$(sql "SELECT count(*) FROM league.entries WHERE site LIKE 'CROWD %' AND player LIKE 'LOCAL %'")
echo "all 50 in $elapsed ms, $failed failed; entries $before -> $after; the crowd's uploads: $crowd of 5000"
[ "$failed" = 0 ] && [ "$crowd" = 5000 ]

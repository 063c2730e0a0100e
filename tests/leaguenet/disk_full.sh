#!/bin/bash
# By hand, as root, never in CI: it mounts two file systems in memory. A hostile site's sorts
# fill the 1.5 GB disk of a league's server, once as PostgreSQL comes (the other sites' writes
# fail for want of room, and when the write-ahead log finds none the server restarts, dropping
# every session) and once set up as the README's steps set it up (temp_file_limit sized to the
# disk, the write-ahead log on a file system of its own): then the site's queries fail alone
# and the honest sites' exchanges and uploads go on. It prints what each run came to.
#   disk_full.sh LEAGUENET
set -euo pipefail
leaguenet=${1:?usage: disk_full.sh LEAGUENET}
[ "$(id -u)" -eq 0 ] || { echo "run it as root: it mounts file systems" >&2; exit 1; }
here=$(cd "$(dirname "$0")" && pwd)
bin=$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -n 1)
work=$(mktemp -d /tmp/leaguenet-disk-full.XXXXXX)
chmod 755 "$work"
mkdir -p "$work/disk" "$work/wal-disk" "$work/north"
attackers=()
cleanup() {
  for pid in "${attackers[@]}"; do kill "$pid" 2>/dev/null || true; done
  sh "$here/pg_cluster.sh" stop "$work/state" || true
  umount "$work/wal-disk" "$work/disk" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
mount -t tmpfs -o size=1536m tmpfs "$work/disk"
mount -t tmpfs -o size=2g tmpfs "$work/wal-disk"
chmod 755 "$work/disk" "$work/wal-disk"
month=$(date +%m)

# NORTH's score file and player file: one player of this month.
site_files() {
  perl -e '
    my ($folder, $month, $day, $year) = @ARGV;
    open(my $isc, ">", "$folder/LEXFRAY.ISC") or die;
    open(my $usr, ">", "$folder/LEXFRAY.USR") or die;
    print $isc "\0" x 22, "00", pack("A25", "No Score-To-Beat As Yet"), pack("A5", " 1.6"), "\0" x 6,
      pack("d<", 0), "\0" x 8, " " x 35, "\0" x 140;
    print $isc pack("A35", "NORTH"), pack("A25", "ANNA"), pack("d<", 900), "LEXFRAY0",
      "$month-$day", " ", "   ", sprintf("%5d", 3), " " x 41, "\0" x 120;
    print $usr $month, pack("A30", "ANNA"), pack("d<", 900), pack("s<", 3),
      "$month-$day-$year", pack("s<", 1), "Y", "\0" x 80;
  ' "$1" "$month" "$(date +%d)" "$(date +%y)"
}

# A league on the small disk with NORTH and EAST, then EAST's three connections sorting more
# than the disk holds, again and again, while NORTH exchanges 40 times and the other sites'
# uploads (5,000 entries at a time, two at once, written by the organiser here) keep the
# write-ahead log growing.
attack() {
  LEAGUENET_PG_ROOT=$work/disk sh "$here/pg_cluster.sh" start "$work/state"
  . "$work/state/cluster.env"
  local data=$LEAGUENET_PG_DIR/data db="$LEAGUENET_PG_ORGANISER dbname=league" failed=0 fullest=0 used
  if [ "$1" = steps ]; then
    free=$(df -Pk "$data" | awk 'NR == 2 {print $4}')
    echo "temp_file_limit = '$((free / 4 / 100))kB'" >>"$data/postgresql.conf"
    runuser -u postgres -- "$bin/pg_ctl" -D "$data" -w stop >/dev/null
    mv "$data/pg_wal" "$work/wal-disk/pg_wal"
    ln -s "$work/wal-disk/pg_wal" "$data/pg_wal"
    runuser -u postgres -- "$bin/pg_ctl" -D "$data" -l "$LEAGUENET_PG_DIR/server.log" -w start >/dev/null
  fi
  psql -qX "$LEAGUENET_PG_ORGANISER dbname=postgres" -c "CREATE DATABASE league"
  "$leaguenet" init-league --db "$db" >/dev/null
  for site in NORTH EAST; do
    "$leaguenet" add-site --db "$db" --site $site --loc "${site:0:3}" --site-ca "$LEAGUENET_PG_CA" \
      --out "$work/$site.conf" >/dev/null
  done
  cp "$work/NORTH.conf" "$work/north/leaguenet.conf"
  site_files "$work/north"
  east=$(sed -n 's/^league = //p' "$work/EAST.conf")
  psql -qX "$db" -c "INSERT INTO league.sites VALUES ('OTHERS', 'OTH', 'nobody')"
  for n in 1 2 3; do
    while :; do
      psql -qAtX "$east" -c "SET statement_timeout = 0" -c "SET work_mem = '64kB'" \
        -c "SELECT count(*) FROM (SELECT g FROM generate_series(1, 1e10) g ORDER BY g DESC) s"
    done >"$work/attack$n.log" 2>&1 &
    attackers+=($!)
  done
  for n in 1 2; do
    for run in $(seq 1 1000); do
      psql -qX "$db" -c "INSERT INTO league.entries (month, site, player, score, last_date, plays,
        game_code) SELECT date_trunc('month', now())::date, 'OTHERS', 'P$n-$run-' || p, p,
        '$month-01', '1', 'X' FROM generate_series(1, 5000) p" || true
    done >"$work/others$n.log" 2>&1 &
    attackers+=($!)
  done
  for run in $(seq 1 40); do
    (cd "$work/north" && "$leaguenet" --config leaguenet.conf >/dev/null 2>>"$work/north.err") ||
      failed=$((failed + 1))
    used=$(df -P "$data" | awk 'NR == 2 {print $5 + 0}')
    [ "$used" -gt "$fullest" ] && fullest=$used
    sleep 0.5
  done
  for pid in "${attackers[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait "${attackers[@]}" 2>/dev/null || true
  attackers=()
  echo "NORTH: $failed of 40 exchanges failed; the data's disk at most $fullest% full"
  sort -u "$work/north.err" 2>/dev/null | head -n 3
  echo "EAST's sorts: $(sort -u "$work"/attack?.log | tr '\n' ' ')"
  echo "the other sites' uploads: $(grep -c '^ERROR' "$work"/others?.log | awk -F: '{n += $2} END {print n + 0}') failed"
  echo "the server's log: $(grep -c 'PANIC' "$LEAGUENET_PG_DIR/server.log" || true) PANIC"
  grep -m 2 'PANIC' "$LEAGUENET_PG_DIR/server.log" || true
  sh "$here/pg_cluster.sh" stop "$work/state"
  grep -h '^ERROR\|^FATAL\|PANIC\|server closed' "$work"/others?.log "$work/north.err" 2>/dev/null |
    sort | uniq -c | head -n 5
  rm -f "$work/north.err" "$work"/*.conf
}

echo "== as PostgreSQL comes"
attack plain
echo
echo "== as the README's steps set it up"
attack steps

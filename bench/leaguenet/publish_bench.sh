#!/bin/bash
# Publishing the pages of a league of 10,000 sites with 100 players each this month (10^6
# entries): wall time, CPU and peak memory of whole runs, connection included (into an empty
# folder; again with nothing changed; again with 1% of the sites changed; with a past month
# of 10^6 entries to write once, then to keep); the sizes of the pages; and how long headless
# Chromium takes to load and lay out the front page and the largest page.
#   LEAGUENET  the built leaguenet program
set -euo pipefail
leaguenet=${LEAGUENET:?the built leaguenet program}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d /tmp/leaguenet-publish-bench.XXXXXX)
cleanup() { sh "$here/../../tests/leaguenet/pg_cluster.sh" stop "$work/state"; rm -rf "$work"; }
trap cleanup EXIT
sh "$here/../../tests/leaguenet/pg_cluster.sh" start "$work/state"
. "$work/state/cluster.env"
server="$LEAGUENET_PG_ORGANISER"
db="$server dbname=league"
sql() { psql -qAt -v ON_ERROR_STOP=1 "$db" -c "$1"; }

psql -q "$server dbname=postgres" -c "CREATE DATABASE league" >/dev/null
"$leaguenet" init-league --db "$db" >/dev/null
"$leaguenet" add-publisher --db "$db" --out "$work/publish.conf"
sql "INSERT INTO league.sites SELECT 'SITE ' || lpad(i::text, 5, '0'), 'S' || lpad((i % 100)::text, 2, '0'), 'nobody_' || i
     FROM generate_series(1, 10000) i"
entries() { # entries MONTHS_BACK
  sql "INSERT INTO league.entries (month, site, player, score, last_date, plays, game_code)
       SELECT m, s.name, 'PLAYER ' || p, 1 + floor(random() * 100000), to_char(m, 'MM') || '-01',
              (4 + p % 30)::text, 'LEXFRAY0'
       FROM (SELECT (date_trunc('month', now() AT TIME ZONE 'UTC') - interval '$1 month')::date)
              AS month(m), league.sites s, generate_series(1, 100) p"
  sql "ANALYZE league.entries"
}
entries 0
echo "league: $(sql 'SELECT count(*) FROM league.sites') sites, $(sql 'SELECT count(*) FROM league.entries') entries this month"
echo "machine: $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"

mkdir "$work/www"
publish() { # publish WHAT
  printf '%-46s' "$1:"
  /usr/bin/time -f "%e s wall, %U s user, %S s system, %M KiB peak" \
    "$leaguenet" publish --config "$work/publish.conf" --out "$work/www/league" 2>&1 >/dev/null
}
echo
echo "== publishing (whole runs of leaguenet publish)"
publish "the first, into an empty folder"
publish "again, nothing changed"
sql "UPDATE league.entries SET score = score + 1, updated = now() WHERE site <= 'SITE 00100'"
publish "again, 100 sites changed"
entries 1
publish "with a past month of 10^6 entries to write"
publish "again, the past month kept"

pages=$work/www/league
echo
echo "== the pages"
echo "files: $(find -L "$pages" -type f | wc -l), $(du -shL "$pages" | cut -f1) in all"
for file in index.html sites.html standings.json; do
  echo "$file: $(stat -c %s "$pages/$file") bytes"
done
largest=$(find -L "$pages" -name '*.html' -printf '%s %P\n' | sort -n | tail -n 1)
echo "largest page: ${largest#* } (${largest%% *} bytes)"

chromium=$(command -v chromium || true)
if [ -z "$chromium" ]; then echo "no chromium: the pages' load times are not measured"; exit 0; fi
# A page outside the publication loads each page in a frame and lays it out; the
# publication itself runs no script.
cat >"$work/measure.html" <<'HTML'
<!DOCTYPE html>
<html lang="en"><head><meta charset="utf-8"><title>measure</title></head>
<body><pre id="out">not measured</pre><iframe id="page" style="width:1280px;height:800px"></iframe>
<script>
const frame = document.getElementById('page');
const start = performance.now();
frame.onload = () => {
  frame.contentDocument.documentElement.scrollHeight;
  const laidOut = performance.now() - start;
  const loaded = frame.contentWindow.performance.getEntriesByType('navigation')[0].loadEventEnd;
  document.getElementById('out').textContent =
      `loaded in ${Math.round(loaded)} ms, laid out after ${Math.round(laidOut)} ms`;
};
frame.src = new URLSearchParams(location.search).get('page');
</script></body></html>
HTML
echo
echo "== headless Chromium, 1280x800 (three runs each)"
for page in index.html "${largest#* }"; do
  for run in 1 2 3; do
    printf '%-20s ' "$page"
    "$chromium" --headless --no-sandbox --disable-gpu --no-first-run --allow-file-access-from-files \
      --user-data-dir="$work/chromium" --dump-dom "file://$work/measure.html?page=file://$pages/$page" \
      2>/dev/null | sed -n 's/.*<pre id="out">\([^<]*\)<.*/\1/p'
  done
done

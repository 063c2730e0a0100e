#!/bin/bash
# Two sites of one league on the shared test cluster: the south site's exchange puts its
# player into the league, the north site's exchange brings it home, and the north game shows
# both sites in its standings with the league's Score-To-Beat.
#   LEXFRAY_LEAGUENET   the built leaguenet program
#   LEAGUENET_TEST_STATE the folder where pg_cluster.sh left cluster.env
. "$(dirname "$0")/lib.sh"
. "$LEAGUENET_TEST_STATE/cluster.env"
leaguenet=${LEXFRAY_LEAGUENET:?the built leaguenet program}
database=lg_e2e_$$
server="$LEAGUENET_PG_ORGANISER"

drop_league() {
  psql -q "$server dbname=postgres" -c "DROP DATABASE IF EXISTS $database WITH (FORCE)" >/dev/null 2>&1
  psql -qAt "$server dbname=postgres" -c "SELECT rolname FROM pg_roles WHERE rolname LIKE '${database}\_%'" 2>/dev/null |
    while read -r role; do psql -q "$server dbname=postgres" -c "DROP ROLE \"$role\"" >/dev/null 2>&1; done
}
# A failure shows what the server said of this league.
league_cleanup() {
  local status=$?
  if [ "$status" != 0 ]; then
    echo "--- the last lines of $LEAGUENET_PG_DIR/server.log about $database:" >&2
    grep -F " $database " "$LEAGUENET_PG_DIR/server.log" | tail -n 30 >&2
  fi
  drop_league
  e2e_cleanup
}
trap league_cleanup EXIT

# score_file SITE PLAYER SCORE PLAYS: LEXFRAY.ISC as the game's export writes it, one entry.
score_file() {
  perl -e '
    my ($site, $player, $score, $plays, $date) = @ARGV;
    print "\0" x 22, "00", pack("A25", "No Score-To-Beat As Yet"), pack("A5", " 1.6"), "\0" x 6,
      pack("d<", 0), "\0" x 8, " " x 35, "\0" x 140;
    print pack("A35", $site), pack("A25", $player), pack("d<", $score), "LEXFRAY0", $date, " ",
      "   ", sprintf("%5d", $plays), " " x 41, "\0" x 120;
  ' "$1" "$2" "$3" "$4" "$(date +%m-%d)"
}

# player_file NAME TOTAL: LEXFRAY.USR with the one player, who played today.
player_file() {
  perl -e '
    my ($name, $total, $month, $date) = @ARGV;
    print $month, pack("A30", $name), pack("d<", $total), pack("s<", 1), $date, pack("s<", 1), "Y", "\0" x 80;
  ' "$1" "$2" "$(date +%m)" "$(date +%m-%d-%y)"
}

# A site's exchange, installed as the game starts it, with the settings add-site printed.
exchange() {
  local name=$1 folder=$2
  (cd "$folder" && "$e2e_dir/$name/LeagueNet.exe") || fail "the exchange of $name failed"
}
join_league() {
  local name=$1 loc=$2
  mkdir -p "$e2e_dir/$name"
  ln -s "$leaguenet" "$e2e_dir/$name/LeagueNet.exe"
  "$leaguenet" add-site --db "$server dbname=$database" --site "$name" --loc "$loc" \
    --site-ca "$LEAGUENET_PG_CA" --out "$e2e_dir/$name/leaguenet.conf" >/dev/null ||
    fail "add-site $name"
}

the_other_sites_players_in_the_standings() {
  psql -q "$server dbname=postgres" -c "CREATE DATABASE $database" >/dev/null || fail "no database"
  "$leaguenet" init-league --db "$server dbname=$database" >/dev/null || fail "init-league"
  join_league "North Site" NTH
  join_league "South Site" STH
  mkdir -p "$e2e_dir/south"
  score_file "South Site" DORA 900 9 >"$e2e_dir/south/LEXFRAY.ISC"
  player_file DORA 900 >"$e2e_dir/south/LEXFRAY.USR"
  exchange "South Site" "$e2e_dir/south"

  install_program
  sed -i '32s/.*/1/; 1s/.*/North Site/' "$e2e_dir/prog/LEXFRAY.CFG"
  player_file ANNA 500 >"$e2e_dir/prog/LEXFRAY.USR"
  exchange "North Site" "$e2e_dir/prog"

  start_game
  wait_at 21 50 "Exit Game"
  send_keys Enter
  wait_for "PLAYER NAME LOGIN"
  send_keys Enter
  wait_at 19 2 "Form a WORD or Select an Option: "
  wait_at 9 72 "    900"  # the Top Score: the best of the whole league
  wait_at 13 72 "    500"
  send_keys s Enter
  wait_for " LEXFRAY LeagueNET Standings "
  wait_for "Score-To-Beat> DORA, SOUTH SITE 900"
  wait_at 7 1 "DORA"
  wait_at 7 26 "   900"
  wait_at 7 41 "SOUTH SITE"
  wait_at 7 77 "STH"
  expect_style 7 1 "97 40" "the other site's player"
  wait_at 8 1 "ANNA"
  wait_at 8 26 "   500"
  expect_style 8 1 "91 40" "this site's player"
}

run_cases the_other_sites_players_in_the_standings

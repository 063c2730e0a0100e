#!/bin/bash
# Resident memory stays small whatever the size of the data files: a score file of 40 GB
# (sparse, nothing on disk) in the competition, where every game start reads the score file
# again, and files at the largest size the game still reads whole.
. "$(dirname "$0")/lib.sh"

limit_kb=16384

peak_kb() { awk '/^VmHWM:/ {print $2}' "/proc/$(program_pid)/status"; }

expect_small() {
  local peak
  peak=$(peak_kb)
  echo "peak resident memory, $1: $peak kB"
  [ -n "$peak" ] && [ "$peak" -lt "$limit_kb" ] || fail "$1: peak resident memory $peak kB"
}

competition() { sed -i '32s/.*/1/; 1s/.*/North Site/' "$e2e_dir/prog/LEXFRAY.CFG"; }

# write_players COUNT: that many players, all created this month and played once today.
write_players() {
  perl -e '
    my ($count, $month, $date) = @ARGV;
    for my $i (1 .. $count) {
      print $month, pack("A30", "PLAYER$i"), pack("d<", 1000 + $i), pack("s<", 1), $date,
        pack("s<", 1), "Y", "\0" x 80;
    }' "$1" "$(date +%m)" "$(date +%m-%d-%y)" >"$e2e_dir/prog/LEXFRAY.USR"
}

# write_entries COUNT: a score file of a header and that many entries of other sites.
write_entries() {
  perl -e '
    my ($count) = @ARGV;
    print "\0" x 22, "00", pack("A25", "No Score-To-Beat As Yet"), " 1.6 ", "\0" x 6,
      pack("d<", 0), "\0" x 8, pack("A35", ""), "\0" x 140;
    for my $i (1 .. $count) {
      print pack("A35", "Site " . ($i % 97)), pack("A25", "ENTRANT$i"), pack("d<", 7 * $i % 100003),
        "LEXFRAY0", "12-01", " ", "   ", "    1", " " x 41, "\0" x 120;
    }' "$1" >"$e2e_dir/prog/LEXFRAY.ISC"
}

# Logs in as the first player of the list, then shows the standings and leaves them.
first_game_and_the_standings() {
  wait_at 21 50 "Exit Game"
  send_keys Enter
  wait_for "PLAYER NAME LOGIN"
  send_keys Enter
  wait_at 19 2 "Form a WORD or Select an Option: "
  send_keys s Enter
}

a_huge_score_file() {
  install_program
  competition
  write_players 3
  truncate -s 40G "$e2e_dir/prog/LEXFRAY.ISC"
  start_game
  first_game_and_the_standings
  wait_for "is too large"
  send_keys Enter
  wait_for " LEXFRAY LeagueNET Standings "
  send_keys Enter
  wait_at 19 2 "Form a WORD or Select an Option: "
  expect_small "40 GB score file"
  [ "$(stat -c %s "$e2e_dir/prog/LEXFRAY.ISC")" = 42949672960 ] || fail "the score file changed size"
}

a_huge_player_file_too() {
  install_program
  competition
  truncate -s 40G "$e2e_dir/prog/LEXFRAY.USR" "$e2e_dir/prog/LEXFRAY.ISC"
  start_game
  wait_at 21 50 "Exit Game"
  send_keys Enter
  # No game starts on a player file that cannot be read, and the login says why.
  wait_for "PLAYER FILE NOT READ"
  send_keys Enter
  wait_at 21 50 "Exit Game"
  expect_small "40 GB player file and score file"
}

the_largest_files_read() {
  install_program
  competition
  write_players 5000
  write_entries 5000
  start_game
  first_game_and_the_standings
  wait_for " LEXFRAY LeagueNET Standings "
  wait_for "Press [ENTER] to Continue or [END]"
  send_keys e Enter
  wait_at 19 2 "Form a WORD or Select an Option: "
  [ "$(stat -c %s "$e2e_dir/prog/LEXFRAY.ISC")" = $((10001 * 251)) ] || fail "the export did not fill the score file"
  expect_small "5000 players and 10000 entries after the export"
}

run_cases a_huge_score_file a_huge_player_file_too the_largest_files_read

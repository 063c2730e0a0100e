#!/bin/bash
# A visit with the real program and the real dictionary: log in, play words read off the
# dealt rack, the refusals, game over and the final scores, in and out of the competition;
# keys typed ahead of a question, and the mouse in a long login list.
. "$(dirname "$0")/lib.sh"
words=${LEXFRAY_WORDS:?the word list data/words.txt}

# The fifteen letters of the rack on board row 21, columns 7, 9, ..., 35.
rack_letters() {
  local row
  row=$(board_row 21)
  local i letters=
  for ((i = 6; i <= 34; i += 2)); do letters+=${row:i:1}; done
  echo "$letters"
}

# spellable_word RACK MIN MAX: the first word of the list of MIN to MAX letters that the rack
# spells, each rack letter used at most once.
spellable_word() {
  awk -v rack="$1" -v min="$2" -v max="$3" '
    BEGIN { for (i = 1; i <= length(rack); i++) have[substr(rack, i, 1)]++ }
    length($0) >= min && length($0) <= max {
      delete used; ok = 1
      for (i = 1; i <= length($0); i++) { c = substr($0, i, 1); if (++used[c] > have[c]) { ok = 0; break } }
      if (ok) { print; exit }
    }' "$words"
}

# A three-letter text of rack letters that the dictionary does not hold.
spellable_non_word() {
  local rack=$1 i j k try
  for ((i = 0; i < 15; i++)); do for ((j = 0; j < 15; j++)); do for ((k = 0; k < 15; k++)); do
    ((i != j && j != k && i != k)) || continue
    try=${rack:i:1}${rack:j:1}${rack:k:1}
    grep -qx "$try" "$words" || { echo "$try"; return; }
  done; done; done
}

score_of() {
  local word=$1 i sum=0
  for ((i = 0; i < ${#word}; i++)); do sum=$((sum + $(printf '%d' "'${word:i:1}"))); done
  echo "$sum"
}

# From the title screen to the first game of a new player.
log_in_new_player() {
  wait_at 21 50 "Exit Game"
  send_keys Enter
  wait_for "PLAYER NAME LOGIN"
  send_keys End Enter
  wait_for "Acquire Player Name"
  send_keys -l "$1"
  send_keys Enter
  wait_at 19 2 "Form a WORD or Select an Option: "
}

word_column() { case ${#1} in 3) echo 5 ;; 4) echo 15 ;; 5) echo 24 ;; 6) echo 34 ;; *) echo 44 ;; esac; }

a_word_and_a_non_word() {
  install_program
  start_game
  log_in_new_player Anna
  wait_at 25 22 "Player: ANNA"
  local rack word other
  rack=$(rack_letters)
  [[ $rack =~ ^[A-Z]{15}$ ]] || fail "no rack on row 21: '$rack'"
  word=$(spellable_word "$rack" 3 6)
  [ -n "$word" ] || fail "no word of 3 to 6 letters in the list for the rack $rack"
  send_keys -l "$word"
  send_keys Enter
  wait_at 5 "$(word_column "$word")" "$word"
  wait_at 16 72 "$(printf '%5d' "$(score_of "$word")")"
  expect_style 5 "$(word_column "$word")" "97 40" "the accepted word"

  other=$(spellable_non_word "$rack")
  send_keys -l "$other"
  send_keys Enter
  wait_at 21 49 "$(printf '%-7s' "$other")  Not in Dictionary "
  expect_style 21 49 "91 40" "the refused word"
  expect_style 21 58 "96 40" "the refusal"

  # Keys typed during the message's pause would be dropped: wait for the next prompt.
  wait_at 21 48 "$(printf '%27s' '')"
  send_keys -l "$word"
  send_keys Enter
  wait_at 21 52 " Word Already Used "
}

a_whole_visit() {
  install_program
  start_game
  log_in_new_player Anna
  local word
  word=$(spellable_word "$(rack_letters)" 3 6)
  send_keys -l "$word"
  send_keys Enter
  wait_at 5 "$(word_column "$word")" "$word"
  send_keys q Enter
  wait_for "Are you sure you want to QUIT?"
  send_keys y
  wait_for "WANT TO PLAY ANOTHER GAME?"
  send_keys n
  wait_for "LEX FRAY'S          TOP         PLAYERS"
  wait_at 24 28 "Press [ENTER] to Continue"
  has_text "ANNA" || fail "the player is not in the table"
  send_keys Enter
  wait_for_end
  [ "$(exit_status game)" = 0 ] || fail "exit status $(exit_status game)"
  local record
  record=$(head -c 133 "$e2e_dir/prog/LEXFRAY.USR" | tr '\0' '.')
  [ "${record:2:4}" = ANNA ] || fail "the player file holds '${record:2:30}'"
  [ "${record:42:8}" = "$(date +%m-%d-%y)" ] || fail "last played '${record:42:8}', not today"
}

# player_record NAME TOTAL: one record, created this month, with one game played today and
# the given total (a whole number below 2^31).
player_record() {
  perl -e '
    my ($name, $total, $month, $date) = @ARGV;
    print $month, pack("A30", $name), pack("d<", $total), pack("s<", 1), $date, pack("s<", 1), "Y", "\0" x 80;
  ' "$1" "$2" "$(date +%m)" "$(date +%m-%d-%y)"
}

# write_player NAME TOTAL: a player file of that one record.
write_player() { player_record "$@" >"$e2e_dir/prog/LEXFRAY.USR"; }

in_the_competition() {
  install_program
  sed -i '32s/.*/1/; 1s/.*/North Site/' "$e2e_dir/prog/LEXFRAY.CFG"
  write_player ANNA 500
  start_game
  wait_at 13 42 "ACTIVE"
  expect_style 13 42 "92 40" "ACTIVE"
  wait_at 21 50 "Exit Game"
  send_keys Enter
  wait_for "PLAYER NAME LOGIN"
  send_keys Enter
  wait_at 19 2 "Form a WORD or Select an Option: "
  local days allowance
  days=$(cal "$(date +%m)" "$(date +%Y)" 2>/dev/null | awk 'NF {last = $NF} END {print last}')
  [ -n "$days" ] || days=$(date -d "$(date +%Y-%m-01) +1 month -1 day" +%d)
  allowance=$((5 * 10#$days + 1))
  wait_at 5 69 "  2 of $allowance"
  wait_at 13 72 "    500"
  local word
  word=$(spellable_word "$(rack_letters)" 3 6)
  send_keys -l "$word"
  send_keys Enter
  wait_at 5 "$(word_column "$word")" "$word"
  send_keys s Enter
  wait_for " LEXFRAY LeagueNET Standings "
  wait_for "Score-To-Beat> No Score-To-Beat As Yet,  0"
  wait_at 7 1 "ANNA"
  wait_at 7 26 "   500"
  expect_style 7 1 "91 40" "this site's player"
  send_keys Enter
  wait_at 19 2 "Form a WORD or Select an Option: "
  send_keys q Enter
  wait_for "Are you sure you want to QUIT?"
  send_keys y
  wait_for "WANT TO PLAY ANOTHER GAME?"
  send_keys n
  wait_for "LeagueNET PROCESSING"
  send_keys n
  wait_for " LEXFRAY LeagueNET Standings "
  wait_at 7 1 "ANNA"
  send_keys Enter
  wait_for_end
  [ "$(exit_status game)" = 0 ] || fail "exit status $(exit_status game)"
  [ -s "$e2e_dir/prog/LEXFRAY.ISC" ] || fail "no competition score file"
}

the_instructions_from_the_help_menu() {
  install_program
  start_game
  wait_at 21 50 "Exit Game"
  send_keys h
  wait_for "HELP/MISC OPTIONS"
  send_keys Down Down Down Enter
  wait_for " HELP FILE "
  local first
  first=$(grep -m1 -v '^[[:space:]]*$' "$e2e_dir/prog/LEXFRAY.INS" | sed 's/[[:space:]]*$//')
  wait_for "$first"
  send_keys Escape
  wait_at 21 50 "Exit Game"
  send_keys x
  wait_for_end
}

# y and Enter typed at once at the quit question: the y answers it, the Enter was typed
# before the next question showed and answers nothing.
quit_with_y_and_enter_at_once() {
  install_program
  start_game
  log_in_new_player Anna
  send_keys q Enter
  wait_for "Are you sure you want to QUIT?"
  send_keys y Enter
  wait_for "WANT TO PLAY ANOTHER GAME?"
  # Had the Enter answered Yes, a new game would take these keys instead of the question.
  send_keys Tab Enter
  wait_for "LEX FRAY'S          TOP         PLAYERS"
  send_keys Enter
  wait_for_end
}

# board_position TEXT: "ROW COLUMN" of the first place TEXT stands on the board.
board_position() {
  local row line
  for ((row = 1; row <= 25; row++)); do
    line=$(board_row "$row")
    [[ $line == *"$1"* ]] || continue
    line=${line%%"$1"*}
    echo "$row $((${#line} + 1))"
    return
  done
}

a_click_on_the_scroll_mark_scrolls_the_login_list() {
  install_program
  local i
  for ((i = 1; i <= 30; i++)); do player_record "$(printf 'PLAYER%02d' "$i")" 100; done >"$e2e_dir/prog/LEXFRAY.USR"
  start_game
  wait_at 21 50 "Exit Game"
  send_keys Enter
  wait_for "PLAYER NAME LOGIN"
  wait_for "PLAYER12"
  has_text "PLAYER13" && fail "more names than the list shows"
  local mark
  mark=$(board_position "▼")
  [ -n "$mark" ] || fail "no mark of more names below"
  send_click $mark
  wait_for "PLAYER24"
  has_text "PLAYER12" && fail "the list did not scroll by a page"
  has_text "Form a WORD" && fail "the click on the mark chose a player"
  local name
  name=$(board_position "PLAYER20")
  send_click $name
  wait_at 25 22 "Player: PLAYER20"
}

run_cases a_word_and_a_non_word a_whole_visit in_the_competition the_instructions_from_the_help_menu \
  quit_with_y_and_enter_at_once a_click_on_the_scroll_mark_scrolls_the_login_list

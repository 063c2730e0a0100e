#!/bin/bash
# The title screen as the player sees it: texts in their places on the centred board, in
# their colours, and the window title.
. "$(dirname "$0")/lib.sh"

in_full_colour() {
  install_program
  start_game
  wait_at 21 50 "Exit Game"
  wait_at 1 19 " Q U I L L O N   H O M E   S O F T W A R E "
  wait_at 3 37 "Presents"
  wait_at 7 33 "L E X    F R A Y"
  wait_at 12 11 "Version     Version Date     LeagueNET     Content Rating"
  wait_at 13 41 "InActive"
  wait_at 16 10 "┌───────────────┐"
  wait_at 17 10 "│ Play the Game │"
  wait_at 17 32 "│ Scores/LeagueNET │"
  wait_at 17 57 "│ Help/Misc.│"
  wait_at 22 48 "└───────────┘"

  expect_style 1 19 "97 44" "the maker's line"
  expect_style 3 37 "93 40" "Presents"
  expect_style 5 10 "97 44" "the title box"
  expect_style 7 33 "97 44" "the title"
  expect_style 12 11 "93 40" "the heading"
  expect_style 13 13 "97 40" "the version"
  expect_style 13 41 "91 40" "InActive"
  expect_style 16 10 "30 47" "the Play button"
  expect_style 17 12 "91 47" "the hot letter P"
  expect_style 17 13 "30 47" "the rest of Play the Game"
  expect_style 17 34 "91 47" "the hot letter S"
  expect_style 17 59 "91 47" "the hot letter H"
  expect_style 21 50 "91 47" "the hot letter E"
  expect_style 20 60 "30 47" "the Exit button's corner"

  local title
  title=$(pane_flag pane_title)
  # The title keeps the blanks that the title animation added to it.
  [ "$title" = "L E X    F R A Y$(printf '%19s' '')" ] || fail "window title is '$title'"
}

# Eight colours: bright foregrounds turn bold over the base colour, bright backgrounds
# lose their brightness, and the lines are the terminal's own line-drawing set.
in_eight_colours() {
  install_program
  E2E_TERM=screen start_game
  wait_at 21 50 "Exit Game"
  wait_at 16 10 "┌───────────────┐"
  expect_style 1 19 "37 44 1" "the maker's line"
  expect_style 3 37 "33 40 1" "Presents"
  expect_style 17 12 "31 47 1" "the hot letter P"
  expect_style 17 13 "30 47" "the rest of Play the Game"
}

# Without a UTF-8 locale the boxes come from the terminal's line-drawing set (tmux shows
# its letters, after a shift-out, in a capture), and a double line becomes a single one.
in_plain_ascii() {
  install_program
  start_program game "LC_ALL=C $e2e_dir/prog/lexfray"
  wait_at 21 50 "Exit Game"
  wait_at 5 10 "lqqqqqq"
  wait_at 22 48 "mqqqqqqqqqqqj"
  e2e_tmux capture-pane -p -e -t game | grep -qF $'\x0elqqqq' || fail "no line-drawing set"
  send_keys s
  wait_for "qqqq SCORES/LEAGUENET PROCESSING qqqq"
}

run_cases in_full_colour in_eight_colours in_plain_ascii

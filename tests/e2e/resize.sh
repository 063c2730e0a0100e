#!/bin/bash
# The terminal changes size while the game runs: the board is centred again and drawn
# whole, at once, whatever the game is doing; a terminal too small for it gets a notice.
. "$(dirname "$0")/lib.sh"

expect_title_screen() {
  wait_at 1 19 " Q U I L L O N   H O M E   S O F T W A R E "
  wait_at 3 37 "Presents"
  wait_at 7 33 "L E X    F R A Y"
  wait_at 17 12 "Play the Game"
  wait_at 21 50 "Exit Game"
  expect_style 17 12 "91 47" "after the resize, the hot letter P"
  expect_margins_blank "$1"
}

# The title slides in over 35 frames 30 ms apart, without reading a key in between.
title_sliding() { [[ "$(board_row 7)" == *L* ]]; }
during_title_animation() {
  install_program
  start_game
  retry title_sliding || fail "the title never began to slide in"
  resize_pane 120 40
  expect_title_screen "resized while the title slid in"
  resize_pane 81 26
  expect_title_screen "and smaller again"
}

during_open_box() {
  install_program
  start_game
  wait_at 21 50 "Exit Game"
  send_keys s
  wait_at 9 26 " SCORES/LEAGUENET PROCESSING "
  resize_pane 90 27
  wait_at 9 26 " SCORES/LEAGUENET PROCESSING "
  wait_at 12 15 "║  Display Current Scores "
  wait_at 1 19 " Q U I L L O N   H O M E   S O F T W A R E "
  expect_margins_blank "resized under the box"
  # The box still works, and the board below it comes back whole.
  send_keys Escape
  retry text_at 9 10 "└─────────────────" || fail "the box did not close"
  expect_title_screen "after the box"
  send_keys x
  wait_for_end
}

too_small_at_start() {
  install_program
  e2e_width=80 e2e_height=24 start_game
  wait_for "Lex Fray needs a terminal of 80 x 25."
  wait_for "This one is 80 x 24."
  # Keys are not taken while the board cannot be seen: this one is read and dropped.
  send_keys x
  retry input_taken || fail "the key behind the notice was never read"
  resize_pane 80 25
  expect_title_screen "grown to fit"
  has_text "Lex Fray needs" && fail "the notice stayed"
  send_keys x
  wait_for_end
  [ "$(exit_status game)" = 0 ] || fail "exit status $(exit_status game)"
}

shrunk_and_grown() {
  install_program
  start_game
  wait_at 21 50 "Exit Game"
  resize_pane 60 20
  wait_for "This one is 60 x 20."
  resize_pane 100 30
  expect_title_screen "grown again"
}

run_cases during_title_animation during_open_box too_small_at_start shrunk_and_grown

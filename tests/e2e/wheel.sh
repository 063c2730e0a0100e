#!/bin/bash
# The mouse wheel in the boxes, in both forms a terminal may send it: a notch moves a
# list's selection one entry and scrolls the document viewer three lines.
. "$(dirname "$0")/lib.sh"

# wheel_in_the_boxes TERM SGR: the help menu, chosen by the wheel, then its instructions;
# SGR is 1 where the program turns on xterm's mouse form, 0 for X10.
wheel_in_the_boxes() {
  install_program
  E2E_TERM=$1 start_game
  wait_at 21 50 "Exit Game"
  [ "$(pane_flag mouse_sgr_flag)" = "$2" ] || fail "not the mouse form wanted under $1"
  send_keys h
  wait_for " HELP/MISC OPTIONS "
  send_wheel down
  send_wheel down
  send_wheel down
  send_wheel down
  send_wheel up
  send_keys Enter  # the fourth entry: the instructions
  wait_for "HELP FILE"
  wait_for "Lines 1-19 of"
  send_wheel down
  send_wheel down
  wait_for "Lines 7-25 of"
  send_wheel up
  wait_for "Lines 4-22 of"
  send_keys Escape
  wait_at 21 50 "Exit Game"
  send_keys x
  wait_for_end
  [ "$(exit_status game)" = 0 ] || fail "exit status $(exit_status game)"
}

x10_form() { wheel_in_the_boxes tmux-256color 0; }
sgr_form() { wheel_in_the_boxes xterm-256color 1; }

run_cases x10_form sgr_form

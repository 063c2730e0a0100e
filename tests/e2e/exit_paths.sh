#!/bin/bash
# Every way out of the title screen ends the program and gives the terminal back as the
# shell had it: by key, by a click on Exit Game in either mouse form, and by a signal.
. "$(dirname "$0")/lib.sh"

start_title_screen() {
  install_program
  E2E_THEN_SHELL=1 start_game
  wait_at 21 50 "Exit Game"
}

# After the program, the shell reads and echoes a line again.
expect_shell_usable() {
  send_keys 'echo back-$((40 + 2))' Enter
  wait_for "back-42"
}

expect_clean_end() {
  wait_for_end
  [ "$(exit_status game)" = "${2:-0}" ] || fail "$1: exit status $(exit_status game)"
  expect_terminal_restored "$1"
  expect_shell_usable
}

key_x() {
  start_title_screen
  send_keys x
  expect_clean_end "key x"
}

key_e() {
  start_title_screen
  send_keys E
  expect_clean_end "key E"
}

click_exit_x10() {
  start_title_screen
  [ "$(pane_flag mouse_standard_flag)" = 1 ] || fail "mouse reporting is off"
  send_click 19 50  # above the button: nothing happens
  send_click 21 47  # left of it
  send_click 23 55  # below it
  # A box opened after them proves the clicks were read and ignored.
  send_keys s
  wait_for " SCORES/LEAGUENET PROCESSING "
  send_keys Escape
  retry text_at 9 10 "└─────────────────" || fail "the box did not close"
  # Only the press: it ends the program, which would never see the release.
  send_button 22 60 press
  expect_clean_end "click on Exit Game"
}

click_exit_sgr() {
  install_program
  E2E_TERM=xterm-256color E2E_THEN_SHELL=1 start_game
  wait_at 21 50 "Exit Game"
  [ "$(pane_flag mouse_sgr_flag)" = 1 ] || fail "xterm's mouse form is off"
  send_button 20 48 press
  expect_clean_end "click on Exit Game, xterm form"
}

# A terminal may send the X10 form where its type promises the other: still a click.
click_exit_x10_from_xterm() {
  install_program
  E2E_TERM=xterm-256color E2E_THEN_SHELL=1 start_game
  wait_at 21 50 "Exit Game"
  local y=$(($(board_top) + 22)) x=$(($(board_left) + 60))
  send_keys -H 1b 5b 4d 20 "$(printf %x $((x + 32)))" "$(printf %x $((y + 32)))"
  expect_clean_end "click on Exit Game, X10 form under an xterm type"
}

# A signal ends the program with the signal's own status; the terminal is put back first.
by_signal() {
  start_title_screen
  kill "-$1" "$(program_pid)"
  expect_clean_end "SIG$1" "$2"
}
sigterm() { by_signal TERM 143; }
sighup() { by_signal HUP 129; }
sigint() { by_signal INT 130; }

run_cases key_x key_e click_exit_x10 click_exit_sgr click_exit_x10_from_xterm sigterm sighup sigint

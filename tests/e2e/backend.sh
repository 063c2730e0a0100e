#!/bin/bash
# The terminal backend on its own, under the probe program: which key each sequence of
# bytes gives, which clicks are reported and where, a resize while the program pauses, and
# the terminal handed over and taken back.
. "$(dirname "$0")/lib.sh"

start_probe() {
  E2E_TERM=${1:-tmux-256color} start_program probe "$LEXFRAY_PROBE"
  wait_at 25 70 "bottom-end"
  events=0
}

# expect_event WHAT SEND-KEYS-ARGUMENTS...: exactly one more event, and it is WHAT.
expect_event() {
  local what=$1
  shift
  send_keys "$@"
  events=$((events + 1))
  retry text_at 24 1 "event $events: $what " || fail "sent $*: wanted event $events: $what"
}

# expect_nothing SEND-KEYS-ARGUMENTS...: no event at all; a key sent after it proves it.
expect_nothing() {
  send_keys "$@"
  expect_event "key 122" z
}

keys() {
  start_probe
  expect_event "key 13" Enter
  expect_event "key 13" C-j
  expect_event "key 13" -H 1b 4f 4d  # the keypad's Enter
  expect_event "key 8" BSpace
  expect_event "key 8" C-h
  expect_event "key 9" Tab
  expect_event "key 267" BTab
  expect_event "key 3" C-c
  expect_event "key 65" A
  expect_event "key 257" Up
  expect_event "key 260" Right
  expect_event "key 263" PPage
  expect_event "key 264" NPage
  expect_event "key 265" IC
  expect_event "key 266" DC
  expect_event "key 261" Home
  expect_event "key 262" End
  expect_event "key 268" F5
  expect_event "key 268" F12
  expect_event "key 27" Escape
}

# Sequences this terminal description does not name, as other terminals send them.
foreign_sequences() {
  start_probe
  expect_event "key 261" -H 1b 5b 31 7e  # ESC [1~
  expect_event "key 262" -H 1b 5b 34 7e  # ESC [4~
  expect_event "key 261" -H 1b 5b 48     # ESC [H
  expect_event "key 262" -H 1b 4f 46     # ESC OF
  expect_event "key 55" -H 1b 4f 77      # the keypad's 7 in application mode
  # Alt+x: two events, Esc and then x, too quick to see the first.
  send_keys -H 1b 78
  events=$((events + 2))
  retry text_at 24 1 "event $events: key 120 " || fail "Alt+x did not give Esc and x"
  expect_nothing -H 1b 5b 49             # a focus report
  expect_nothing -H 1b 5b 3f 31 3b 32 63  # a device attribute reply
  expect_nothing -H c3 a9                # é: not a key of this game
}

clicks_on_the_board() {
  start_probe
  [ "$(pane_flag mouse_standard_flag)" = 1 ] || fail "mouse reporting is off"
  send_button 1 1 press
  events=$((events + 1))
  retry text_at 24 1 "event $events: click 1 1 " || fail "no click on the first cell"
  expect_nothing -H 1b 5b 4d 23 21 21  # its release
  send_click 25 80
  events=$((events + 1))
  retry text_at 24 1 "event $events: click 25 80 " || fail "no click on the last cell"
  # The margins of the pane are no part of the board.
  e2e_tmux send-keys -t probe -H 1b 5b 4d 20 21 21 1b 5b 4d 23 21 21
  expect_nothing -H 1b 5b 4d 20 7f 3f 1b 5b 4d 23 7f 3f
  # From now on releases count, not presses.
  expect_event "key 114" r
  send_button 13 40 press
  expect_nothing
  send_button 13 40 release
  events=$((events + 1))
  retry text_at 24 1 "event $events: click 13 40 " || fail "no release reported"
}

clicks_in_xterm_form() {
  start_probe xterm-256color
  [ "$(pane_flag mouse_sgr_flag)" = 1 ] || fail "xterm's mouse form is off"
  send_click 21 50
  events=$((events + 1))
  retry text_at 24 1 "event $events: click 21 50 " || fail "no click"
  expect_event "key 261" -H 1b 5b 31 7e  # Home as xterm-style terminals in tmux send it
}

# The probe's animation shows a frame every 30 ms and reads nothing meanwhile.
resize_while_paused() {
  start_probe
  send_keys a
  wait_at 5 10 "frame "
  resize_pane 120 40
  wait_at 5 10 "frame 65"
  wait_at 1 1 "top-left"
  wait_at 25 70 "bottom-end"
  expect_margins_blank "resized in a pause"
}

handed_over_and_back() {
  start_probe
  expect_event "key 115" s
  wait_at 25 70 "bottom-end"
  wait_at 1 1 "top-left"
  [ "$(pane_flag alternate_on)$(pane_flag mouse_standard_flag)" = 11 ] || fail "modes not back"
  expect_event "key 262" End
}

glyphs_and_title() {
  start_probe
  wait_at 3 10 "┌─┐ ╔═╗ ☺⌂Ç"
  expect_style 1 1 "97 44" "bright white on blue"
  expect_style 1 73 "93 41" "yellow on red"
  local title
  title=$(pane_flag pane_title)
  [ "$title" = "probe ☺ title" ] || fail "window title is '$title'"
  send_keys q
  wait_for_end
  title=$(pane_flag pane_title)
  [ "$title" != "probe ☺ title" ] || fail "the old window title did not come back"
  expect_terminal_restored "after q"
}

run_cases keys foreign_sequences clicks_on_the_board clicks_in_xterm_form \
  resize_while_paused handed_over_and_back glyphs_and_title

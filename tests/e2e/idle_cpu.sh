#!/bin/bash
# A game that waits for the player blocks in the kernel and takes no processor time: on the
# title screen, and behind the notice of a terminal too small. The window is 3 s, or
# E2E_IDLE_SECONDS; more than 1% of one processor fails.
. "$(dirname "$0")/lib.sh"

seconds=${E2E_IDLE_SECONDS:-3}

cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

measure_idle() {
  local pid before after hz
  pid=$(program_pid)
  [ -n "$pid" ] || fail "no program"
  hz=$(getconf CLK_TCK)
  before=$(cpu_ticks "$pid")
  sleep "$seconds"
  after=$(cpu_ticks "$pid")
  local ticks=$((after - before))
  echo "$1: $ticks ticks of 1/$hz s in $seconds s, that is $((100 * ticks / hz / seconds)).$((1000 * ticks / hz / seconds % 10))% of a processor"
  ((100 * ticks <= hz * seconds)) || fail "$1: busy while idle"
}

on_the_title_screen() {
  install_program
  start_game
  wait_at 21 50 "Exit Game"
  measure_idle "title screen"
}

behind_the_notice() {
  install_program
  e2e_width=80 e2e_height=24 start_game
  wait_for "This one is 80 x 24."
  measure_idle "enlarge notice"
}

run_cases on_the_title_screen behind_the_notice

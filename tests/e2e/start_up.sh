#!/bin/bash
# Start-up on a real terminal: one copy per program folder, a missing configuration file,
# and no terminal at all.
. "$(dirname "$0")/lib.sh"

second_copy_in_same_folder() {
  install_program
  start_game first
  wait_at 21 50 "Exit Game"
  start_game second
  wait_for "DUPLICATE PROGRAM"
  wait_for "You can only run one instance of this program at a time!"
  send_keys Enter
  wait_for "$(id -un) is playing the game now."
  send_keys Enter
  wait_for_end second
  [ "$(exit_status second)" = 0 ] || fail "the second copy ended with $(exit_status second)"
  expect_terminal_restored "the second copy"

  # Another installation is another game, and the lock goes with the first copy.
  install_program "$e2e_dir/other"
  start_game third "$e2e_dir/other"
  wait_at 21 50 "Exit Game"
  e2e_target=first
  send_keys x
  wait_for_end first
  start_game fourth
  wait_at 21 50 "Exit Game"
}

# A lock taken by a copy that was killed does not outlive it.
lock_gone_with_a_killed_copy() {
  install_program
  start_game first
  wait_at 21 50 "Exit Game"
  kill -KILL "$(program_pid)"
  wait_for_end first
  start_game second
  wait_at 21 50 "Exit Game"
}

# The program folder may be read-only: the lock is on the folder, not a file in it.
read_only_folder() {
  install_program
  chmod a-w "$e2e_dir/prog"
  start_game first
  wait_at 21 50 "Exit Game"
  start_game second
  wait_for "DUPLICATE PROGRAM"
  chmod u+w "$e2e_dir/prog"
}

missing_configuration() {
  install_program
  rm "$e2e_dir/prog/LEXFRAY.CFG"
  start_game
  wait_for "MISSING FILE"
  wait_for "The LEXFRAY.CFG file is MISSING! Correct and restart!"
  send_keys Enter
  wait_for_end
  [ "$(exit_status game)" = 0 ] || fail "ended with $(exit_status game)"
  expect_terminal_restored "after the message"
}

# Without a terminal the program says why on standard error and stops.
no_terminal() {
  install_program
  local status=0
  "$e2e_dir/prog/lexfray" </dev/null >"$e2e_dir/out" 2>"$e2e_dir/err" || status=$?
  [ "$status" = 1 ] || fail "exit status $status without a terminal"
  grep -q "interactive terminal" "$e2e_dir/err" || fail "no reason given: $(cat "$e2e_dir/err")"
  [ ! -s "$e2e_dir/out" ] || fail "wrote to its output: $(cat -v "$e2e_dir/out")"
}

unknown_terminal_type() {
  install_program
  start_program game "TERM=no-such-terminal $e2e_dir/prog/lexfray 2>$e2e_dir/err"
  wait_for_end
  [ "$(exit_status game)" = 1 ] || fail "exit status $(exit_status game)"
  grep -q "no-such-terminal" "$e2e_dir/err" || fail "no reason given: $(cat "$e2e_dir/err")"
}

# A terminal that cannot place the cursor is refused like an unknown one.
dumb_terminal() {
  install_program
  start_program game "TERM=dumb $e2e_dir/prog/lexfray 2>$e2e_dir/err"
  wait_for_end
  [ "$(exit_status game)" = 1 ] || fail "exit status $(exit_status game)"
  grep -q "cannot use the terminal of type dumb" "$e2e_dir/err" || fail "no reason given: $(cat "$e2e_dir/err")"
}

run_cases second_copy_in_same_folder lock_gone_with_a_killed_copy read_only_folder \
  missing_configuration no_terminal unknown_terminal_type dumb_terminal

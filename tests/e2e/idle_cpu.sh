#!/bin/bash
# A game that waits for the player blocks in the kernel and takes no processor time: on the
# title screen, behind the notice of a terminal too small, and as one of eight copies of
# eight accounts on one shared installation. The window is 3 s, or E2E_IDLE_SECONDS; more
# than 1% of one processor fails.
. "$(dirname "$0")/lib.sh"

seconds=${E2E_IDLE_SECONDS:-3}

cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

# measure_idle WHAT [PID...]: the processor time of the target's program, or of the busiest
# of the processes given, over one window.
measure_idle() {
  local what=$1 hz ticks=0 i
  shift
  local pids=("$@")
  [ ${#pids[@]} -gt 0 ] || pids=("$(program_pid)")
  [ -n "${pids[0]}" ] || fail "no program"
  hz=$(getconf CLK_TCK)
  local before=()
  for i in "${!pids[@]}"; do before[i]=$(cpu_ticks "${pids[i]}"); done
  sleep "$seconds"
  for i in "${!pids[@]}"; do
    local used=$(($(cpu_ticks "${pids[i]}") - before[i]))
    ((used > ticks)) && ticks=$used
  done
  echo "$what: $ticks ticks of 1/$hz s in $seconds s, that is $((100 * ticks / hz / seconds)).$((1000 * ticks / hz / seconds % 10))% of a processor"
  ((100 * ticks <= hz * seconds)) || fail "$what: busy while idle"
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

# A shared installation as the package makes it: the executable setgid games, the folder
# the group's. Eight made-up accounts (no /etc/passwd entry needed) start a copy each, all at
# once; each waits at its title screen, none refused and none busy. A second copy of one of
# them is refused and told which copy of that account runs.
eight_accounts() {
  if [ "$(id -u)" != 0 ] || ! command -v setpriv >/dev/null || ! getent group games >/dev/null; then
    echo "skipped: eight_accounts makes up accounts: it needs root, setpriv and the games group"
    return 0
  fi
  install_program
  chmod 755 "$e2e_dir"
  chgrp -R games "$e2e_dir/prog"
  chmod 2775 "$e2e_dir/prog"
  chmod g+s "$e2e_dir/prog/lexfray"
  local i uid
  for i in 1 2 3 4 5 6 7 8; do
    uid=$((61000 + i))
    start_program "account$i" "setpriv --reuid=$uid --regid=$uid --clear-groups $e2e_dir/prog/lexfray"
  done
  local pids=()
  for i in 1 2 3 4 5 6 7 8; do
    e2e_target=account$i
    wait_at 21 50 "Exit Game"
    pids+=("$(program_pid)")
    [ "$(stat -c %u "/proc/${pids[-1]}")" = $((61000 + i)) ] || fail "copy $i is not its account's"
  done
  measure_idle "eight accounts together" "${pids[@]}"
  start_program again "setpriv --reuid=61003 --regid=61003 --clear-groups $e2e_dir/prog/lexfray"
  wait_for "DUPLICATE PROGRAM"
  send_keys Enter
  wait_for "Your other copy of the game is still running (process"
}

run_cases on_the_title_screen behind_the_notice eight_accounts

#!/usr/bin/env bash
# Installs the built game into a temporary prefix, then starts the installed lexfray command
# from another folder, in tmux: it must find its program folder and reach the title screen.
set -euo pipefail
build=${1:?usage: install_test.sh BUILD_DIR}

work=$(mktemp -d)
sock=$work/sock
prefix=$work/prefix
cleanup() {
  local status=$?
  tmux -S "$sock" kill-server 2>/dev/null || true
  if [ "$status" = 0 ]; then rm -rf "$work"; else echo "the test's folder is kept: $work" >&2; fi
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  if [ -S "$sock" ]; then
    echo "The pane shows:" >&2
    tmux -S "$sock" capture-pane -p -t game >&2 || true
  fi
  exit 1
}

# Polls every 10 ms until the condition holds, for at most 10 seconds.
wait_until() {
  local what=$1; shift
  local deadline=$((SECONDS + 10))
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || fail "gave up waiting for $what"
    sleep 0.01
  done
}
pane_shows() { tmux -S "$sock" capture-pane -p -N -t game | grep -qF -- "$1"; }

cmake --install "$build" --prefix "$prefix" >/dev/null

# The whole program folder of the build, apart from what the game writes there itself.
for file in "$build"/lexfray/*; do
  name=${file##*/}
  case $name in LEXFRAY.USR | LEXFRAY.BKP | LEXFRAY.ISC | Temp.HLP) continue ;; esac
  cmp -s "$file" "$prefix/lib/lexfray/$name" || fail "$name is not installed in lib/lexfray/"
done
[ -x "$prefix/games/lexfray" ] || fail "there is no games/lexfray command"
[ -f "$prefix/share/man/man6/lexfray.6" ] || fail "there is no manual page"
[ -x "$prefix/games/leaguenet" ] || fail "there is no games/leaguenet exchange program"
[ -f "$prefix/share/man/man6/leaguenet.6" ] || fail "there is no manual page of leaguenet"
"$prefix/games/leaguenet" --version | grep -q '^leaguenet ' || fail "leaguenet --version says nothing"

# Without a terminal the command says why on standard error and ends with status 1.
status=0
(cd / && "$prefix/games/lexfray" </dev/null >/dev/null 2>"$work/stderr") || status=$?
[ "$status" -eq 1 ] || fail "without a terminal the status is $status, not 1"
[ -s "$work/stderr" ] || fail "without a terminal nothing was said on standard error"

# In a terminal, started from /, it reads its configuration from the installed folder
# (line 32 holds 0: InActive) and ends with status 0 when E is pressed.
printf 'set -g status off\n' >"$work/conf"
printf '#!/bin/sh\ncd /\n"%s"\necho $? >"%s"\nexec sleep 600\n' \
  "$prefix/games/lexfray" "$work/rc" >"$work/run.sh"
chmod +x "$work/run.sh"
tmux -S "$sock" -f "$work/conf" new-session -d -s game -x 80 -y 25 "$work/run.sh"
wait_until "the title screen" pane_shows "Play the Game"
pane_shows "InActive" || fail "the title screen does not show the configuration's InActive"
tmux -S "$sock" send-keys -t game e
wait_until "the end of the game" test -s "$work/rc"
[ "$(cat "$work/rc")" = 0 ] || fail "the game ended with status $(cat "$work/rc")"
echo "installed game reached its title screen and ended cleanly"

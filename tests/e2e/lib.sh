# Shared by the end-to-end tests: the real program in its own tmux server, in a copy of the
# program folder, read back with capture-pane. Source it; it cleans up on exit.
#   LEXFRAY_PROGRAM_DIR  the built program folder (the executable and its data files)
set -u
export LC_ALL=C.UTF-8  # character counts, not bytes, in ${line:offset:length}

e2e_dir=
e2e_failed=0
trap e2e_cleanup EXIT

# A failed case's folder stays, with the program folder as the program left it.
e2e_cleanup() {
  [ -n "$e2e_dir" ] || return 0
  tmux -S "$e2e_dir/sock" kill-server 2>/dev/null
  if [ "$e2e_failed" = 1 ]; then
    echo "the failed case's folder is kept: $e2e_dir" >&2
  else
    rm -rf "$e2e_dir"
  fi
  e2e_dir=
}

# A new folder and, once a program starts, a new tmux server for each case.
e2e_begin() {
  e2e_cleanup
  e2e_dir=$(mktemp -d "${TMPDIR:-/tmp}/lexfray-e2e.XXXXXX")
  e2e_width=100
  e2e_height=30
  e2e_target=game
}

e2e_tmux() { tmux -S "$e2e_dir/sock" "$@"; }

screen_text() { e2e_tmux capture-pane -p -N -t "$e2e_target"; }

fail() {
  echo "FAIL: $*" >&2
  echo "--- the pane $e2e_target (${e2e_width}x$e2e_height):" >&2
  screen_text >&2 2>/dev/null
  e2e_failed=1
  exit 1
}

now_ms() { date +%s%3N; }

# retry CONDITION...: runs the condition every 10 ms until it holds, for 5 s at most.
retry() {
  local deadline=$(($(now_ms) + ${E2E_TIMEOUT_MS:-5000}))
  until "$@"; do
    [ "$(now_ms)" -lt "$deadline" ] || return 1
    sleep 0.01
  done
}

# install_program [FOLDER]: a copy of the program folder, by default $e2e_dir/prog.
install_program() {
  local folder=${1:-$e2e_dir/prog}
  mkdir -p "$folder"
  cp -R "$LEXFRAY_PROGRAM_DIR"/. "$folder"/
}

# start_program NAME COMMAND: runs COMMAND in a new tmux session NAME (the first one also
# starts the server), of e2e_width x e2e_height, and makes it the target. The exit status
# lands in $e2e_dir/NAME.rc; the pane then waits, or gives a shell when E2E_THEN_SHELL=1.
start_program() {
  local name=$1 command=$2
  local after="exec sleep 600"
  [ "${E2E_THEN_SHELL:-0}" = 1 ] && after="exec sh"
  printf 'set -g status off\nset -g default-terminal %s\nset -g set-titles off\n' \
    "${E2E_TERM:-tmux-256color}" >"$e2e_dir/conf"
  e2e_tmux -f "$e2e_dir/conf" new-session -d -s "$name" -x "$e2e_width" -y "$e2e_height" \
    "sh -c '$command; echo \$? > $e2e_dir/$name.rc; $after'" || fail "tmux did not start"
  e2e_target=$name
}

# start_game [NAME [FOLDER]]: the game of FOLDER (by default $e2e_dir/prog).
start_game() { start_program "${1:-game}" "${2:-$e2e_dir/prog}/lexfray"; }

# wait_for TEXT: until TEXT is anywhere on the target pane.
has_text() { screen_text | grep -qF -- "$1"; }
wait_for() { retry has_text "$1" || fail "never saw: $1"; }

# The board is centred in the pane: board row 1, column 1 is at these 0-based offsets.
board_top() { echo $(((e2e_height - 25) / 2)); }
board_left() { echo $(((e2e_width - 80) / 2)); }

# board_row ROW: the 80 characters of board row ROW; blanks that tmux cleared rather than
# wrote are put back.
board_row() {
  local line
  line=$(screen_text | sed -n "$(($(board_top) + $1))p")
  line=${line:$(board_left):80}
  while ((${#line} < 80)); do line+=" "; done
  echo "$line"
}

# wait_at ROW COLUMN TEXT: until TEXT stands at that place of the board.
text_at() {
  local row
  row=$(board_row "$1")
  [ "${row:$(($2 - 1)):${#3}}" = "$3" ]
}
wait_at() { retry text_at "$@" || fail "never saw '$3' at board row $1, column $2"; }

# style_at ROW COLUMN: the colours of a board cell as tmux keeps them, e.g. "97 44" for
# bright white on blue; "1" is added for bold.
style_at() {
  e2e_tmux capture-pane -p -N -e -t "$e2e_target" |
    perl "$(dirname "${BASH_SOURCE[0]}")/cell_style.pl" $(($(board_top) + $1)) $(($(board_left) + $2))
}

# expect_style ROW COLUMN STYLE WHAT
expect_style() {
  local style
  style=$(style_at "$1" "$2")
  [ "$style" = "$3" ] || fail "$4: board row $1, column $2 is styled '$style', not '$3'"
}

program_pid() { pgrep -P "$(e2e_tmux display -p -t "$e2e_target" '#{pane_pid}')" | head -n 1; }

pane_flag() { e2e_tmux display -p -t "$e2e_target" "#{$1}"; }

# input_taken: the program has read all that was sent to it; nothing waits in its
# terminal's input queue (FIONREAD).
input_taken() {
  local waiting
  waiting=$(perl -MFcntl -e 'sysopen(my $t, $ARGV[0], O_RDONLY | O_NOCTTY) or exit 1;
    my $n = pack("L", 0); ioctl($t, 0x541B, $n) or exit 1; print unpack("L", $n)' "$(pane_flag pane_tty)") &&
    [ "$waiting" = 0 ]
}

exit_status() { cat "$e2e_dir/$1.rc" 2>/dev/null; }
has_ended() { [ -s "$e2e_dir/$1.rc" ]; }
wait_for_end() { retry has_ended "${1:-$e2e_target}" || fail "the program did not end"; }

# send_button ROW COLUMN press|release: a left-button event on a board cell, as the bytes
# the terminal would send in the mouse form the program turned on.
send_button() {
  local y=$(($(board_top) + $1)) x=$(($(board_left) + $2)) kind=$3
  if [ "$(pane_flag mouse_sgr_flag)" = 1 ]; then
    local final=M
    [ "$kind" = release ] && final=m
    send_keys -H $(printf '%s' $'\e'"[<0;$x;$y$final" | od -An -tx1)
  else
    local button=32
    [ "$kind" = release ] && button=35
    send_keys -H 1b 5b 4d "$(printf %x $button)" "$(printf %x $((x + 32)))" "$(printf %x $((y + 32)))"
  fi
}

# send_wheel up|down: a notch of the mouse wheel over the middle of the board, in the mouse
# form the program turned on (buttons 64 and 65; in X10 each value + 32).
send_wheel() {
  local y=$(($(board_top) + 13)) x=$(($(board_left) + 40)) button=64
  [ "$1" = down ] && button=65
  if [ "$(pane_flag mouse_sgr_flag)" = 1 ]; then
    send_keys -H $(printf '%s' $'\e'"[<$button;$x;${y}M" | od -An -tx1)
  else
    send_keys -H 1b 5b 4d "$(printf %x $((button + 32)))" "$(printf %x $((x + 32)))" "$(printf %x $((y + 32)))"
  fi
}

# send_click ROW COLUMN: a press and its release, as a player clicks.
send_click() {
  send_button "$1" "$2" press
  send_button "$1" "$2" release
}

send_keys() { e2e_tmux send-keys -t "$e2e_target" "$@"; }

# The terminal as a shell wants it back: main screen, no mouse or keypad modes, the
# cursor shown, and the tty in line mode with echo.
expect_terminal_restored() {
  [ "$(pane_flag alternate_on)" = 0 ] || fail "$1: still on the alternate screen"
  [ "$(pane_flag mouse_any_flag)$(pane_flag mouse_standard_flag)" = 00 ] || fail "$1: mouse still on"
  [ "$(pane_flag keypad_flag)" = 0 ] || fail "$1: keypad still in application mode"
  [ "$(pane_flag cursor_flag)" = 1 ] || fail "$1: cursor still hidden"
  local modes
  modes=$(stty -a -F "$(pane_flag pane_tty)")
  case "$modes" in
    *" -icanon"* | *" -echo "* | *" -icrnl"*) fail "$1: tty modes not restored: $modes" ;;
  esac
}

# run_cases NAME...: runs the named functions, or only the one given on the command line.
run_cases() {
  local selected=${E2E_CASE:-}
  local name
  for name in "$@"; do
    [ -n "$selected" ] && [ "$selected" != "$name" ] && continue
    e2e_begin
    "$name"
    echo "ok: $name"
  done
}

# resize_pane WIDTH HEIGHT: the terminal changes size under the program.
resize_pane() {
  e2e_width=$1
  e2e_height=$2
  e2e_tmux resize-window -t "$e2e_target" -x "$1" -y "$2"
}

# Nothing of the board outside the board: the margins of a larger pane stay blank.
margins_blank() {
  local lines top=$(board_top) left=$(board_left)
  mapfile -t lines < <(screen_text)
  local i line
  for ((i = 0; i < e2e_height; i++)); do
    line=${lines[i]:-}
    if ((i < top || i >= top + 25)); then
      [ -z "${line// /}" ] || return 1
    else
      local outside="${line:0:left}${line:left+80}"
      [ -z "${outside// /}" ] || return 1
    fi
  done
}
expect_margins_blank() { retry margins_blank || fail "$1: something drawn beside the board"; }

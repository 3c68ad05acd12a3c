# Helpers for the end-to-end tests: the real program runs in a shell inside
# tmux (a private server, 80x25, escape-time 0 so that Esc arrives at once)
# on a scratch installation made from the sample.  Everything lives in one
# temporary directory that is removed, with the tmux server, however the test
# ends.
#
#   source "$(dirname "$0")/lib.sh"
#   e2e_install; e2e_start
#   e2e_run "$E2E_PROGRAM"; e2e_wait_for "TEXT"; e2e_keys Escape
#   [[ "$(e2e_status)" == 0 ]] || e2e_fail "..."
set -euo pipefail

E2E_SOURCE_DIR="${EXPCODES_SOURCE_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}"
E2E_BINARY_DIR="${EXPCODES_BINARY_DIR:-$E2E_SOURCE_DIR/build}"
E2E_PROGRAM="$E2E_BINARY_DIR/expcodes"
E2E_TMP="$(mktemp -d "${TMPDIR:-/tmp}/expcodes-e2e.XXXXXX")"
E2E_SOCKET="$E2E_TMP/tmux.sock"
E2E_WAIT_SECONDS="${E2E_WAIT_SECONDS:-10}"
E2E_PROMPT='e2e$ '

e2e_cleanup() {
  tmux -S "$E2E_SOCKET" kill-server 2>/dev/null || true
  rm -rf "$E2E_TMP"
}
trap e2e_cleanup EXIT

e2e_tmux() { tmux -S "$E2E_SOCKET" "$@"; }

# Shows the screen and stops the test.
e2e_fail() {
  echo "FAIL: $*" >&2
  if [[ -S "$E2E_SOCKET" ]]; then
    echo "---- screen ----" >&2
    e2e_tmux capture-pane -p >&2 || true
    echo "----------------" >&2
  fi
  exit 1
}

# Makes the scratch installation and exports ZEKROOT, ZEKEXE and ZEKTMP.
e2e_install() {
  local env_line
  env_line="$("$E2E_SOURCE_DIR/scripts/make-installation.sh" "$E2E_BINARY_DIR" "$E2E_TMP/inst")"
  eval "export $env_line"
}

# Starts tmux with a plain shell whose prompt is "e2e$ ".
e2e_start() {
  local term=tmux-256color
  infocmp "$term" >/dev/null 2>&1 || term=screen
  cat >"$E2E_TMP/tmux.conf" <<CONF
set -g escape-time 0
set -g default-terminal $term
set -g status off
set -g history-limit 0
CONF
  e2e_tmux -f "$E2E_TMP/tmux.conf" new-session -d -x 80 -y 25 \
    env -i HOME="$E2E_TMP" PATH="$PATH" TERM="$term" LANG=C.UTF-8 \
    ZEKROOT="${ZEKROOT:-}" ZEKEXE="${ZEKEXE:-}" ZEKTMP="${ZEKTMP:-}" \
    HISTFILE= PS1="$E2E_PROMPT" bash --norc --noprofile
  e2e_wait_for "${E2E_PROMPT% }"
}

# Types a command line into the shell; its exit status is shown after it.
e2e_run() {
  e2e_tmux send-keys -l "clear; $*; echo \"e2e-status=\$?\""
  e2e_tmux send-keys Enter
}

# Sends keys as tmux names them (Escape, F1, C-x, ...).
e2e_keys() { e2e_tmux send-keys "$@"; }

# The screen's text; with -e, with its colours as escape sequences.
e2e_screen() { e2e_tmux capture-pane -p "$@"; }

# Waits until the screen shows the text (a fixed string).
e2e_wait_for() {
  local text="$1" deadline=$((SECONDS + E2E_WAIT_SECONDS))
  while ! e2e_screen | grep -qF -- "$text"; do
    ((SECONDS < deadline)) || e2e_fail "\"$text\" did not appear"
    sleep 0.05
  done
}

# Waits until the command run with e2e_run has ended and prints its status.
e2e_status() {
  e2e_wait_for "e2e-status="
  e2e_screen | sed -n 's/.*e2e-status=\([0-9]*\).*/\1/p' | tail -1
}

# A pane flag of tmux: alternate_on, cursor_flag, mouse_any_flag, ...
e2e_flag() { e2e_tmux display -p "#{$1}"; }

# The process id of the program running in the shell.
e2e_program_pid() {
  local shell
  shell="$(e2e_flag pane_pid)"
  ps -o pid= --ppid "$shell" | tr -d ' ' | head -1
}

# Checks that the terminal is back in the shell's normal mode and the prompt
# takes commands again.
e2e_expect_terminal_restored() {
  [[ "$(e2e_flag alternate_on)" == 0 ]] || e2e_fail "still on the alternate screen"
  [[ "$(e2e_flag cursor_flag)" == 1 ]] || e2e_fail "cursor left hidden"
  [[ "$(e2e_flag mouse_any_flag)" == 0 ]] || e2e_fail "mouse reporting left on"
  # Anything the terminal answered after the program ended would land on
  # the command line and spoil the command.
  e2e_tmux send-keys -l "clear"
  e2e_tmux send-keys Enter
  local deadline=$((SECONDS + E2E_WAIT_SECONDS))
  until [[ "$(e2e_screen | head -1)" == "${E2E_PROMPT% }" && "$(e2e_screen | grep -c .)" == 1 ]]; do
    ((SECONDS < deadline)) || e2e_fail "the shell did not clear the screen"
    sleep 0.05
  done
  e2e_tmux send-keys -l "echo ready-\$((40 + 2))"
  e2e_tmux send-keys Enter
  e2e_wait_for "ready-42"
  local first
  first="$(e2e_screen | head -1)"
  [[ "$first" == "${E2E_PROMPT}echo ready-\$((40 + 2))" ]] ||
    e2e_fail "stray input before the command: \"$first\""
}

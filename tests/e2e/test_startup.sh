#!/usr/bin/env bash
# The program starts, shows the session's title, ends on Esc with status 0
# and gives the terminal back; so it does when told to end by a signal.  The
# command line takes only --help and --version.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

# ---- The command line, without a terminal.
help="$("$E2E_PROGRAM" --help)" || e2e_fail "--help failed"
for word in Usage ZEKROOT ZEKEXE ZEKTMP EXPCODES_ESC_DELAY; do
  grep -qF "$word" <<<"$help" || e2e_fail "--help does not mention $word"
done
"$E2E_PROGRAM" --version | grep -qE '^expcodes [0-9]' || e2e_fail "--version"
for args in "--bogus" "-x" "--help extra" "file.txt"; do
  status=0
  # shellcheck disable=SC2086
  message="$("$E2E_PROGRAM" $args 2>&1 >/dev/null)" || status=$?
  [[ $status == 2 ]] || e2e_fail "\"$args\" gave status $status, not 2"
  grep -qF "takes no arguments" <<<"$message" || e2e_fail "\"$args\": no clear message"
done
status=0
"$E2E_PROGRAM" </dev/null >/dev/null 2>&1 || status=$?
[[ $status == 1 ]] || e2e_fail "without a terminal: status $status"

# ---- In the terminal.
e2e_install
title="$(grep -a '^Titol=' "$ZEKTMP/Sessio.ini" | head -1 | cut -d= -f2- | tr -d '\r')"
[[ -n "$title" ]] || e2e_fail "the sample's Sessio.ini has no title"
e2e_start

# Code page 850 bytes in the title show as their characters: 213 the euro
# sign, 16 the PC's arrow glyph, 135 "ç".
cp "$ZEKTMP/Sessio.ini" "$E2E_TMP/Sessio.ini"
LC_ALL=C sed -i $'s/^Titol=[^\r]*/Titol=PREU \xd5 \x10 Fran\x87a/' "$ZEKTMP/Sessio.ini"
e2e_run "$E2E_PROGRAM"
e2e_wait_for "PREU € ► França"
e2e_keys Escape
[[ "$(e2e_status)" == 0 ]] || e2e_fail "exit status after Esc"
cp "$E2E_TMP/Sessio.ini" "$ZEKTMP/Sessio.ini"

e2e_run "$E2E_PROGRAM"
e2e_wait_for "$title"
[[ "$(e2e_flag alternate_on)" == 1 ]] || e2e_fail "not on the alternate screen"
[[ "$(e2e_flag cursor_flag)" == 0 ]] || e2e_fail "cursor shown at start"
# Keys that begin with an Esc byte are not the Esc key: Alt+X, Up and
# Ctrl+Up on the form's first field, and an Esc inside pasted text (which
# arrives as typed characters, controls dropped).  None of them leaves the
# form; Esc on its first field does, printing nothing.
e2e_keys M-x Up C-Up
e2e_tmux set-buffer $'pasted text\e'
e2e_tmux paste-buffer -p
sleep 0.3
e2e_screen | grep -qF "e2e-status=" && e2e_fail "ended on a key other than Esc"
e2e_keys Escape
[[ "$(e2e_status)" == 0 ]] || e2e_fail "exit status after Esc"
e2e_expect_terminal_restored

# A terminal too small for the screen gets a notice until it is enlarged.
e2e_run "$E2E_PROGRAM"
e2e_wait_for "$title"
e2e_tmux resize-window -x 70 -y 20
e2e_wait_for "at least 80 columns and 25 rows"
e2e_tmux resize-window -x 80 -y 25
e2e_wait_for "$title"
e2e_keys Escape
[[ "$(e2e_status)" == 0 ]] || e2e_fail "exit status after a resize"
e2e_expect_terminal_restored

# Told to end, the program ends in order: status 0 and the terminal restored.
for signal in TERM INT HUP; do
  e2e_run "$E2E_PROGRAM"
  e2e_wait_for "$title"
  pid="$(e2e_program_pid)"
  [[ -n "$pid" ]] || e2e_fail "no program process"
  kill -s "$signal" "$pid"
  [[ "$(e2e_status)" == 0 ]] || e2e_fail "exit status after SIG$signal"
  e2e_expect_terminal_restored
done

# A fault ends the program as faults do, but not with the terminal in raw mode.
e2e_run "$E2E_PROGRAM"
e2e_wait_for "$title"
kill -s SEGV "$(e2e_program_pid)"
[[ "$(e2e_status)" == 139 ]] || e2e_fail "a fault is not reported as one"
e2e_expect_terminal_restored
echo "PASS"

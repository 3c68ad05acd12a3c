#!/usr/bin/env bash
# A window drawn by the program shows the double-line frame's box-drawing
# glyphs in the session's highlighted colour (the sample's "Col1": bright
# yellow on blue), is saved on the screen save stack in the work directory
# (WinPush.tmp, owner-only), and leaves nothing behind when it is closed.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

e2e_install
e2e_start
e2e_run "$E2E_PROGRAM"
e2e_wait_for "TAULA DE CONCEPTES DE DESPESA"
e2e_wait_for "╚"

# The glyphs: the box of rows 10 to 14, columns 25 to 56.
bar="$(printf '═%.0s' {1..30})"
blank="$(printf ' %.0s' {1..30})"
expected=("╔${bar}╗" "║${blank}║" "║${blank}║" "║${blank}║" "╚${bar}╝")
for i in 0 1 2 3 4; do
  row=$((10 + i))
  line="$(e2e_screen | sed -n "${row}p")"
  [[ "${line:24:32}" == "${expected[$i]}" ]] || e2e_fail "row $row: \"${line:24:32}\""
  [[ -z "${line:0:24}" || "${line:0:24}" =~ ^\ +$ ]] || e2e_fail "row $row: drawn left of the box"
done

# The colours: every captured row starts from the normal style (grey on
# blue); the frame switches to bright yellow (16 colours, or bold yellow on
# a terminal of 8) and back to grey after its right border.
esc=$'\e'
for row in 9 11 13; do
  line="$(e2e_tmux capture-pane -p -e -S "$row" -E "$row")"
  [[ "$line" == "${esc}[37m${esc}[44m"* ]] || e2e_fail "row $((row + 1)) is not on blue: $(cat -v <<<"$line")"
  grep -qE "^${esc}\[37m${esc}\[44m {24}(${esc}\[93m|${esc}\[1m${esc}\[33m)[╔║╚]" <<<"$line" ||
    e2e_fail "row $((row + 1)): the frame is not bright yellow: $(cat -v <<<"$line")"
  grep -qE "[╗║╝]${esc}\[" <<<"$line" || e2e_fail "row $((row + 1)): colour not back after the frame"
done

# The window's record: 4 bytes of top of stack, 20 digits, 5 x 32 cells of
# two bytes, 5 digits of length.
stack="$ZEKTMP/WinPush.tmp"
[[ -f "$stack" ]] || e2e_fail "no WinPush.tmp in the work directory"
[[ "$(stat -c %s "$stack")" == 349 ]] || e2e_fail "WinPush.tmp holds $(stat -c %s "$stack") bytes"
[[ "$(stat -c %a "$stack")" == 600 ]] || e2e_fail "WinPush.tmp is not owner-only"
[[ "$(dd if="$stack" bs=1 skip=8 count=16 status=none)" == 0000000010251456 ]] ||
  e2e_fail "the record does not name the box (10, 25, 14, 56)"

e2e_keys Escape
[[ "$(e2e_status)" == 0 ]] || e2e_fail "exit status after Esc"
[[ ! -e "$stack" ]] || e2e_fail "WinPush.tmp left behind"
e2e_expect_terminal_restored
echo "PASS"

#!/usr/bin/env bash
# The form's window shows the double-line frame's box-drawing glyphs in the
# session's normal colours, is saved on the screen save stack in the work
# directory (WinPush.tmp, owner-only), and leaves nothing behind when it is
# closed.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

e2e_install
e2e_start
e2e_run "$E2E_PROGRAM"
e2e_wait_for "TAULA DE CONCEPTES DE DESPESA"
e2e_wait_for "╚"

# The glyphs: the form's window, rows 8 to 15, columns 12 to 69.
bar="$(printf '═%.0s' {1..56})"
for row in 8 9 10 11 12 13 14 15; do
  line="$(e2e_screen | sed -n "${row}p")"
  case $row in
    8) [[ "${line:11:58}" == "╔${bar}╗" ]] || e2e_fail "row $row: \"${line:11:58}\"" ;;
    15) [[ "${line:11:58}" == "╚${bar}╝" ]] || e2e_fail "row $row: \"${line:11:58}\"" ;;
    *) [[ "${line:11:1}" == "║" && "${line:68:1}" == "║" ]] || e2e_fail "row $row: \"$line\"" ;;
  esac
  [[ -z "${line:0:11}" || "${line:0:11}" =~ ^\ +$ ]] || e2e_fail "row $row: drawn left of the box"
done

# The colours: the form's window and its frame are drawn in the session's
# normal style (the sample's "Col1": grey on blue), the labels too.
esc=$'\e'
for row in 8 10 12; do
  line="$(e2e_tmux capture-pane -p -e -S "$row" -E "$row")"
  grep -qE "^${esc}\[37m${esc}\[44m {11}[╔║╚]" <<<"$line" ||
    e2e_fail "row $((row + 1)): the frame is not grey on blue: $(cat -v <<<"$line")"
done

# The window's record: 4 bytes of top of stack, 20 digits, 5 x 32 cells of
# two bytes, 5 digits of length.
stack="$ZEKTMP/WinPush.tmp"
[[ -f "$stack" ]] || e2e_fail "no WinPush.tmp in the work directory"
[[ "$(stat -c %s "$stack")" == 957 ]] || e2e_fail "WinPush.tmp holds $(stat -c %s "$stack") bytes"
[[ "$(stat -c %a "$stack")" == 600 ]] || e2e_fail "WinPush.tmp is not owner-only"
[[ "$(dd if="$stack" bs=1 skip=8 count=16 status=none)" == 0000000008121569 ]] ||
  e2e_fail "the record does not name the box (8, 12, 15, 69)"

e2e_keys Escape
[[ "$(e2e_status)" == 0 ]] || e2e_fail "exit status after Esc"
[[ ! -e "$stack" ]] || e2e_fail "WinPush.tmp left behind"
e2e_expect_terminal_restored
echo "PASS"

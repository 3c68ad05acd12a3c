#!/usr/bin/env bash
# The form's window, opened on the screen save stack, shows the double-line
# frame's box-drawing glyphs in the session's normal colour (the sample's
# "Col1": grey on blue); its record in WinPush.tmp (work directory,
# owner-only) names the box, and nothing is left behind when the program
# ends.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
export LC_ALL=C.UTF-8  # the frame is measured in characters

e2e_install
e2e_start
e2e_run "$E2E_PROGRAM"
e2e_wait_for "╚"

# Find the box on the screen: the row with the top-left corner, and the
# columns of its two corners.
mapfile -t screen < <(e2e_screen)
top=-1
for i in "${!screen[@]}"; do
  [[ "${screen[$i]}" == *"╔"* ]] && { top=$i; break; }
done
((top >= 0)) || e2e_fail "no frame on the screen"
line="${screen[$top]}"
prefix="${line%%╔*}"
left=${#prefix}
rest="${line#*╔}"
inner="${rest%%╗*}"
width=$((${#inner} + 2))
[[ "$inner" =~ ^═+$ ]] || e2e_fail "top border \"$line\""

bottom=$top
for ((i = top + 1; i < ${#screen[@]}; i++)); do
  row="${screen[$i]}"
  case "${row:left:1}${row:left+width-1:1}" in
    "║║") ;;
    "╚╝")
      [[ "${row:left+1:width-2}" =~ ^═+$ ]] || e2e_fail "bottom border \"$row\""
      bottom=$i
      break
      ;;
    *) e2e_fail "row $((i + 1)) does not continue the frame: \"$row\"" ;;
  esac
done
((bottom > top)) || e2e_fail "the frame has no bottom border"

# The colours: the captured rows start in the normal style, grey on blue, and
# the frame is drawn in it (no colour change before the left border).
esc=$'\e'
for ((i = top; i <= bottom; i++)); do
  captured="$(e2e_tmux capture-pane -p -e -S "$i" -E "$i")"
  grep -qE "^${esc}\[37m${esc}\[44m {${left}}[╔║╚]" <<<"$captured" ||
    e2e_fail "row $((i + 1)): the frame is not grey on blue: $(cat -v <<<"$captured")"
done

# The window's record: 4 bytes of top of stack, the cursor, the previous
# window (none), the box, its cells, the record's length.
stack="$ZEKTMP/WinPush.tmp"
[[ -f "$stack" ]] || e2e_fail "no WinPush.tmp in the work directory"
[[ "$(stat -c %a "$stack")" == 600 ]] || e2e_fail "WinPush.tmp is not owner-only"
box="$(printf '%02d%02d%02d%02d' $((top + 1)) $((left + 1)) $((bottom + 1)) $((left + width)))"
[[ "$(dd if="$stack" bs=1 skip=8 count=16 status=none)" == "00000000$box" ]] ||
  e2e_fail "the record does not name the box $box"
size=$((4 + 20 + 2 * (bottom - top + 1) * width + 5))
[[ "$(stat -c %s "$stack")" == "$size" ]] || e2e_fail "WinPush.tmp holds $(stat -c %s "$stack") bytes, not $size"

e2e_keys Escape
[[ "$(e2e_status)" == 0 ]] || e2e_fail "exit status after Esc"
[[ ! -e "$stack" ]] || e2e_fail "WinPush.tmp left behind"
e2e_expect_terminal_restored
echo "PASS"

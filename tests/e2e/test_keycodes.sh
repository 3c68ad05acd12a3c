#!/usr/bin/env bash
# keycodes shows the key code that the keyboard reader makes of each key as
# the terminal sends it: the function keys alone and with Shift, Ctrl and
# Alt, Alt + letters, Ctrl + arrows, the editing keys, and left and right
# clicks; two Esc end it with status 0 and the terminal restored.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

KEYCODES="$E2E_BINARY_DIR/keycodes"
"$KEYCODES" --help | grep -qF "Esc twice" || e2e_fail "--help"

e2e_start
e2e_run "$KEYCODES"
e2e_wait_for "Esc twice ends"

# Sends a batch of keys (tmux names, "=" and the line keycodes must show for
# each) and checks that every line appears, in order, at the list's foot.
check_batch() {
  local keys=() expected=() pair
  for pair in "$@"; do
    keys+=("${pair%%=*}")
    expected+=("${pair#*=}")
  done
  for key in "${keys[@]}"; do
    e2e_keys "$key"
  done
  e2e_wait_for "${expected[-1]}"
  local shown
  shown="$(e2e_screen | sed -n '5,25p' | sed 's/ *$//' | grep -v '^$' | tail -${#expected[@]})"
  local want
  want="$(printf '%s\n' "${expected[@]}")"
  [[ "$shown" == "$want" ]] || e2e_fail "$(printf 'keys %s\nexpected:\n%s\nshown:\n%s' \
    "${keys[*]}" "$want" "$shown")"
}

# A line of the list: code, name, modifiers (names in plain ASCII).
line() { printf '%-8s%-29s %s' "$1" "$2" "$3"; }

for mod in "" S- C- M-; do
  batch=()
  for n in 1 2 3 4 5 6 7 8 9 10; do
    case "$mod" in
      "") code=$((0x3B + n - 1)); name="F$n"; mods=none ;;
      S-) code=$((0x54 + n - 1)); name="Shift+F$n"; mods=Shift ;;
      C-) code=$((0x5E + n - 1)); name="Ctrl+F$n"; mods=LeftCtrl ;;
      M-) code=$((0x68 + n - 1)); name="Alt+F$n"; mods=LeftAlt ;;
    esac
    batch+=("${mod}F$n=$(line "$(printf '0x%02X00' "$code")" "$name" "$mods")")
  done
  check_batch "${batch[@]}"
done

check_batch \
  "M-x=$(line 0x2D00 Alt+X LeftAlt)" \
  "M-c=$(line 0x2E00 Alt+C LeftAlt)" \
  "M-f=$(line 0x2100 Alt+F LeftAlt)" \
  "M-e=0x00D5  € (also Alt+E)$(printf '%15s' '') LeftAlt" \
  "C-Left=$(line 0x7300 Ctrl+Left LeftCtrl)" \
  "C-Right=$(line 0x7400 Ctrl+Right LeftCtrl)" \
  "C-Home=$(line 0x7700 Ctrl+Home LeftCtrl)" \
  "Home=$(line 0x4700 Home none)" \
  "End=$(line 0x4F00 End none)" \
  "PPage=$(line 0x4900 PgUp none)" \
  "NPage=$(line 0x5100 PgDn none)" \
  "IC=$(line 0x5200 Insert none)" \
  "DC=$(line 0x5300 Delete none)" \
  "BSpace=$(line 0x0008 Backspace none)" \
  "Tab=$(line 0x0009 Tab none)" \
  "BTab=$(line 0x0F00 Shift+Tab Shift)" \
  "C-y=$(line 0x0019 Ctrl+Y none)" \
  "Up=$(line 0x4800 Up none)"

# Clicks as the terminal reports them (SGR mouse: press, then release).
e2e_tmux send-keys -H $(printf '\033[<0;10;5M\033[<0;10;5m\033[<2;70;20M\033[<2;70;20m' |
  od -An -tx1)
e2e_wait_for "right click row 20 column 70"
e2e_screen | grep -qF "$(line 0x0A45 'left click row 5 column 10' none)" ||
  e2e_fail "left click"
e2e_screen | grep -qF "$(line 0x4694 'right click row 20 column 70' none)" ||
  e2e_fail "right click"

# One Esc does not end it; a second one right after does.
e2e_keys Escape
e2e_wait_for "$(line 0x001B Esc none)"
e2e_screen | grep -qF "e2e-status=" && e2e_fail "ended on one Esc"
e2e_keys Escape
[[ "$(e2e_status)" == 0 ]] || e2e_fail "exit status after Esc Esc"
e2e_expect_terminal_restored
echo "PASS"

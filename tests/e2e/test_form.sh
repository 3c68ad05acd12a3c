#!/usr/bin/env bash
# The operator's whole job on the sample installation: the form with its
# title and labels; "S" in the first field and leaving the form prints the
# listing through the spool program; anything else prints nothing and leaves
# Sessio.ini as it was; F1 shows the help and Esc gives the form back as it
# was; Ctrl+C in a field copies instead of ending the program.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

e2e_install
e2e_start
sessio="$ZEKTMP/Sessio.ini"
cp "$sessio" "$E2E_TMP/Sessio.orig"

# Starts the program and waits for the form's first label.
start_form() {
  rm -f "$ZEKTMP/vuzovara.tmp" "$ZEKTMP/vuzovara.txt"
  e2e_run "$E2E_PROGRAM"
  e2e_wait_for "$1"
}

# ---- Leaving the form without "S": nothing printed, Sessio.ini untouched.
start_form "Imprimir la taula?"
e2e_wait_for "TAULA DE CONCEPTES DE DESPESA"
e2e_wait_for "Consulta de conceptes (F4):"
e2e_keys N Enter Enter
[[ "$(e2e_status)" == 0 ]] || e2e_fail "exit status after N"
[[ ! -e "$ZEKTMP/vuzovara.tmp" ]] || e2e_fail "printed without S"
cmp -s "$sessio" "$E2E_TMP/Sessio.orig" || e2e_fail "Sessio.ini changed without S"

# ---- F1 shows the help; Esc gives back the same screen, colours included.
start_form "Imprimir la taula?"
# The form is complete once two looks a moment apart agree.
before="$(e2e_screen -e)"
for _ in $(seq 100); do
  sleep 0.1
  now="$(e2e_screen -e)"
  [[ "$now" == "$before" ]] && break
  before="$now"
done
e2e_keys F1
for _ in $(seq 100); do
  [[ "$(e2e_screen -e)" != "$before" ]] && break
  sleep 0.05
done
[[ "$(e2e_screen -e)" != "$before" ]] || e2e_fail "F1 showed nothing"
e2e_screen | grep -qF "Consulta de conceptes (F4):" && e2e_fail "the form is still shown under F1"
e2e_keys Escape
for _ in $(seq 100); do
  [[ "$(e2e_screen -e)" == "$before" ]] && break
  sleep 0.05
done
[[ "$(e2e_screen -e)" == "$before" ]] || e2e_fail "the form did not come back as it was"

# ---- Ctrl+C in a text field copies; the program goes on.
e2e_keys Enter
sleep 0.2
e2e_keys C-c
sleep 0.3
e2e_screen | grep -qF "e2e-status=" && e2e_fail "Ctrl+C ended the program"
e2e_wait_for "Consulta de conceptes (F4):"

# ---- "S" and leaving the form: the listing is printed and spooled.
e2e_keys Escape S Enter Enter
[[ "$(e2e_status)" == 0 ]] || e2e_fail "exit status after S"
[[ -s "$ZEKTMP/vuzovara.tmp" ]] || e2e_fail "no print file"
grep -qa $'^NomMenu=LLISTATS\r$' "$sessio" || e2e_fail "NomMenu not rewritten with ChnMenu"
[[ "$(grep -ac . "$sessio")" == "$(grep -ac . "$E2E_TMP/Sessio.orig")" ]] ||
  e2e_fail "Sessio.ini gained or lost lines"
text="$ZEKTMP/vuzovara.txt"
[[ -s "$text" ]] || e2e_fail "the spool wrote no text output"
grep -qF "TAULA DE CONCEPTES DE DESPESA" "$text" || e2e_fail "no title in the listing"
# Three concepts a line: codes at columns 1, 34 and 67, descriptions at 4,
# 37 and 70.
grep -qx '01 Lloguer del local             02 Lloguer de magatzem           03 Lloguer de maquinària' \
  "$text" || e2e_fail "the first concepts are not at their columns"
e2e_expect_terminal_restored
echo "PASS"

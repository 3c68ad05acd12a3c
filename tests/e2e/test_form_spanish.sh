#!/usr/bin/env bash
# A terminal set to Spanish: the form's labels and choices are translated
# and the listing is printed in Spanish; a data file that cannot be opened or
# made, and a missing form file, are reported in Spanish and the program
# ends after a key.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

e2e_install
LC_ALL=C sed -i $'s/^Idioma=[^\r]*/Idioma=SPA/' "$ZEKTMP/OrvoTerm.ini"
e2e_start

e2e_run "$E2E_PROGRAM"
e2e_wait_for "¿Imprimir la tabla?"
e2e_wait_for "Consulta de conceptos (F4):"
e2e_keys S
e2e_wait_for "Sí, imprímela"
e2e_keys Enter Enter
[[ "$(e2e_status)" == 0 ]] || e2e_fail "exit status after S"
text="$ZEKTMP/vuzovara.txt"
[[ -s "$text" ]] || e2e_fail "the spool wrote no text output"
grep -qF "TABLA DE CONCEPTOS DE GASTO" "$text" || e2e_fail "the listing's title is not Spanish"
grep -qF "C. DESCRIPCIÓN" "$text" || e2e_fail "the column heading is not Spanish"
grep -qF "TAULA DE CONCEPTES" "$text" && e2e_fail "Catalan title in the listing"
grep -qE '^01 Lloguer del local ' "$text" || e2e_fail "no concepts in the listing"

# No data file, and no description to make one from.
rm -f "$ZEKROOT/DADES/TDespesa.dat" "$ZEKROOT/ddf/TDespesa.xdf"
e2e_run "$E2E_PROGRAM"
e2e_wait_for "NO SE PUEDE ACCEDER AL FICHERO"
sleep 0.3
e2e_screen | grep -qF "e2e-status=" && e2e_fail "ended before a key"
e2e_keys Space
e2e_status >/dev/null
[[ ! -e "$ZEKROOT/DADES/TDespesa.dat" ]] || e2e_fail "a data file was made without its description"
e2e_expect_terminal_restored

rm -f "$ZEKROOT/FORMS/EXPCODES.ZPN"
e2e_run "$E2E_PROGRAM"
e2e_wait_for "NO SE PUEDE LEER EL FORMULARIO"
e2e_keys Space
[[ "$(e2e_status)" == 1 ]] || e2e_fail "a missing form file did not end with status 1"
e2e_expect_terminal_restored
echo "PASS"

#!/usr/bin/env bash
# Makes a working installation from the sample: copies sample/ to DEST, loads
# the expense concepts into DADES/TDespesa.dat and installs the reference
# spool as VUZOVARA in its program directory.  Prints the environment to run
# the program with (ZEKROOT, ZEKEXE, ZEKTMP) as shell assignments.
#   scripts/make-installation.sh BUILD_DIR DEST
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$1"
dest="$2"
rm -rf "$dest"
mkdir -p "$dest"
cp -R "$here/sample/." "$dest/"
mkdir -p "$dest/DADES" "$dest/bin" "$dest/tmp"
if [[ -x "$build/recutil" && -f "$dest/ddf/TDespesa.xdf" && -f "$dest/data/TDespesa.csv" ]]; then
  "$build/recutil" create "$dest/DADES/TDespesa.dat" "$dest/ddf/TDespesa.xdf" >/dev/null
  "$build/recutil" load "$dest/DADES/TDespesa.dat" "$dest/data/TDespesa.csv" --csv 2,25 >/dev/null
fi
if [[ -x "$build/vuzovara" ]]; then
  cp "$build/vuzovara" "$dest/bin/VUZOVARA"
fi
# Session and terminal files live in the work directory.
for f in Sessio.ini OrvoTerm.ini; do
  [[ -f "$dest/$f" ]] && mv "$dest/$f" "$dest/tmp/$f"
done
echo "ZEKROOT='$dest/' ZEKEXE='$dest/bin/' ZEKTMP='$dest/tmp/'"

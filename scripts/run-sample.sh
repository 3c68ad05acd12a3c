#!/usr/bin/env bash
# Builds the program and runs it in this terminal on a scratch copy of the
# sample installation (the sample in the repository stays clean).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$here/scripts/setup.sh" "$here/build" >/dev/null
scratch="${EXPCODES_SCRATCH:-$here/build/sample-run}"
env_line="$("$here/scripts/make-installation.sh" "$here/build" "$scratch")"
echo "expcodes: sample installation in $scratch" >&2
eval "export $env_line"
cd "$scratch"
exec "$here/build/expcodes"

#!/usr/bin/env bash
# Builds and runs every test: first under AddressSanitizer and
# UndefinedBehaviorSanitizer (unit tests), then the normal build (unit and
# end-to-end tests), ending with the test runner's summary.
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
jobs="$(nproc)"
status=0

"$here/scripts/setup.sh" "$here/build-asan" --sanitize || exit 1
echo "== unit tests under AddressSanitizer and UndefinedBehaviorSanitizer"
UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir "$here/build-asan" -E '^e2e\.' -j "$jobs" --output-on-failure || status=1

"$here/scripts/setup.sh" "$here/build" || exit 1
echo "== unit and end-to-end tests"
ctest --test-dir "$here/build" -j "$jobs" --output-on-failure || status=1
exit $status

#!/usr/bin/env bash
# Installs the Debian packages the build needs (when missing), then configures
# and builds one build tree.
#   scripts/setup.sh [BUILD_DIR] [--sanitize]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$here/build"
sanitize=OFF
for arg in "$@"; do
  case "$arg" in
    --sanitize) sanitize=ON ;;
    *) build="$arg" ;;
  esac
done

packages=(g++ cmake ninja-build pkg-config libncurses-dev libsqlite3-dev
          libgtest-dev libbenchmark-dev tmux cups-client)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}" >&2
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${missing[@]}" >&2
fi

cmake -S "$here" -B "$build" -G Ninja -DEXPCODES_SANITIZE="$sanitize" >/dev/null
cmake --build "$build" -j "$(nproc)"

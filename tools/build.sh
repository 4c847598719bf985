#!/usr/bin/env bash
# Configures and builds the tree into build/ (Ninja). Extra arguments go to cmake.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/tools/install-deps.sh"
jobs=${ZARNIK_JOBS:-$(nproc)}
cmake -S "$root" -B "$root/build" -G Ninja "$@" >/dev/null
cmake --build "$root/build" -j "$jobs"

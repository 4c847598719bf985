#!/usr/bin/env bash
# Configures and builds the tree into build/ (Ninja). Extra arguments go to cmake.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/tools/install-deps.sh"
# Worktrees of one repository share compiled objects through ccache.
export CCACHE_BASEDIR="$root"
export CCACHE_NOHASHDIR=1
jobs=${ZARNIK_JOBS:-$(nproc)}
cmake -S "$root" -B "$root/build" -G Ninja "$@" >/dev/null
cmake --build "$root/build" -j "$jobs"

#!/usr/bin/env bash
# Configures and builds the tree into build/ (Ninja). Extra arguments go to cmake.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/tools/install-deps.sh"
# Worktrees of one repository share compiled objects through ccache.
export CCACHE_BASEDIR="$root"
export CCACHE_NOHASHDIR=1
jobs=${ZARNIK_JOBS:-$(nproc)}
# ZARNIK_WERROR=1 makes warnings fatal here too, as in CI (an explicit
# -DZARNIK_WERROR=... among the arguments comes later and wins).
werror=()
if [[ "${ZARNIK_WERROR:-0}" == "1" ]]; then werror=(-DZARNIK_WERROR=ON); fi
cmake -S "$root" -B "$root/build" -G Ninja "${werror[@]}" "$@" >/dev/null
cmake --build "$root/build" -j "$jobs"

#!/usr/bin/env bash
# Builds everything and runs every test: the README's test command and CI's.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/tools/build.sh"
export QT_QPA_PLATFORM=offscreen
jobs=${ZARNIK_JOBS:-$(nproc)}
cd "$root/build"
ctest --output-on-failure -j "$jobs" --timeout 600

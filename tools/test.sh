#!/usr/bin/env bash
# Builds everything and runs every test: the README's test command and CI's.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# CI sets ZARNIK_WERROR=1: warnings in our own code fail the build there.
if [[ "${ZARNIK_WERROR:-0}" == "1" ]]; then werror=ON; else werror=OFF; fi
bash "$root/tools/build.sh" -DZARNIK_WERROR=$werror
export QT_QPA_PLATFORM=offscreen
jobs=${ZARNIK_JOBS:-$(nproc)}
cd "$root/build"
ctest --output-on-failure -j "$jobs" --timeout 600

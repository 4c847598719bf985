#!/usr/bin/env bash
# Fails when a C++ source differs from what .clang-format makes of it.
# With --fix, formats them in place instead.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
mapfile -t files < <(git ls-files '*.cpp' '*.h' 2>/dev/null || find . -path ./build -prune -o \( -name '*.cpp' -o -name '*.h' \) -print)
if [[ "${1:-}" == "--fix" ]]; then
  clang-format -i "${files[@]}"
  exit 0
fi
# One clang-format per core; each names the files it would change.
out=$(printf '%s\0' "${files[@]}" | xargs -0 -n 40 -P "$(nproc)" clang-format --dry-run 2>&1 | grep -o '^[^:]*\.\(cpp\|h\):' | sort -u || true)
if [[ -n "$out" ]]; then
  echo "not formatted (run tools/check-format.sh --fix):"
  echo "$out" | tr -d ':'
  exit 1
fi

#!/usr/bin/env bash
# Builds the program and starts it against the built-in simulated recorder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/tools/build.sh"
if [ -x "$root/build/bin/zarnik-sim-run" ]; then
  exec "$root/build/bin/zarnik-sim-run" "$@"
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  export QT_QPA_PLATFORM=offscreen
fi
if [ -x "$root/build/bin/zarnik" ]; then
  exec "$root/build/bin/zarnik" "$@"
fi
echo "The recorder program is not built yet; the libraries and tests are." >&2

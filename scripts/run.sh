#!/usr/bin/env bash
# Starts the program from its program folder (build/app).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
app="$here/${BUILD_DIR:-build}/app/kpv"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: the program needs a graphical session (set DISPLAY, or start it under xvfb-run)." >&2
  exit 1
fi
export LANG="${LANG:-C.UTF-8}"
exec "$app"

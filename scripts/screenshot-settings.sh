#!/usr/bin/env bash
# Takes the screenshots of the settings screen for the README
# (docs/settings.png, docs/word-list-editor.png). Builds the small shot
# program, starts its own Xvfb on a free display (or uses the display
# KPV_SHOT_DISPLAY names, as scripts/screenshots.sh does), lets the program
# grab its window on a sample installation in a temporary folder, and ends
# what it started.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="$here/${BUILD_DIR:-build}"
cmake --build "$build" --target kpv_settings_shot -j2 >/dev/null
command -v Xvfb >/dev/null || { echo "Xvfb is missing (apt-get install xvfb)." >&2; exit 1; }

xvfb_pid=""
cleanup() {
  if [ -n "$xvfb_pid" ] && [ "$xvfb_pid" -gt 1 ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
}
trap cleanup EXIT

if [ -n "${KPV_SHOT_DISPLAY:-}" ]; then
  display="${KPV_SHOT_DISPLAY#:}"
else
  display=99
  while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
  Xvfb ":$display" -screen 0 1366x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
fi

mkdir -p "$here/docs"
DISPLAY=":$display" LANG=C.UTF-8 QT_QPA_PLATFORM=xcb timeout 60 "$build/settings/kpv_settings_shot" "$here/docs"
echo "Wrote $here/docs/settings.png and $here/docs/word-list-editor.png"

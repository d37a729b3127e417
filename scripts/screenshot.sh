#!/usr/bin/env bash
# Takes the screenshots for the README:
#   scripts/screenshot.sh          the menu (docs/menu.png)
#   scripts/screenshot.sh ledger   the ledger screen on the 30-item example
#                                  ledger with a card open (docs/ledger.png)
# Builds nothing: run it after a build. Starts its own Xvfb on a free display
# (or uses the display KPV_SHOT_DISPLAY names, as scripts/screenshots.sh
# does), runs the program on a temporary copy of the program folder (a fresh
# installation), captures the screen and ends what it started.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="$here/${BUILD_DIR:-build}"
what="${1:-menu}"
out="$here/docs/$what.png"
case "$what" in
  menu) [ -x "$build/app/kpv" ] || { echo "No program at $build/app/kpv: build first." >&2; exit 1; } ;;
  ledger) [ -x "$build/tools/ledger_shot/ledger_shot" ] || { echo "No $build/tools/ledger_shot/ledger_shot: build first." >&2; exit 1; } ;;
  *) echo "usage: $0 [menu|ledger]" >&2; exit 2 ;;
esac
for tool in Xvfb import; do
  command -v "$tool" >/dev/null || { echo "$tool is missing (apt-get install xvfb imagemagick)." >&2; exit 1; }
done

work="$(mktemp -d)"
xvfb_pid=""
app_pid=""
cleanup() {
  if [ -n "$app_pid" ] && [ "$app_pid" -gt 1 ]; then kill "$app_pid" 2>/dev/null || true; wait "$app_pid" 2>/dev/null || true; fi
  if [ -n "$xvfb_pid" ] && [ "$xvfb_pid" -gt 1 ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

if [ -n "${KPV_SHOT_DISPLAY:-}" ]; then
  display="${KPV_SHOT_DISPLAY#:}"
else
  # A free display number.
  display=99
  while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
  Xvfb ":$display" -screen 0 1366x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
fi

if [ "$what" = ledger ]; then
  example="$here/tests/data/ledger30"
  mkdir -p "$work/data"
  cp "$example"/*.dat "$work/data/"
  chmod u+w "$work/data"/*
  mkdir -p "$(dirname "$out")"
  DISPLAY=":$display" LANG=C.UTF-8 QT_QPA_PLATFORM=xcb "$build/tools/ledger_shot/ledger_shot" "$work/data" "$out"
  echo "Wrote $out"
  exit 0
fi

cp -a "$build/app/." "$work/app/" 2>/dev/null || { mkdir -p "$work/app"; cp -a "$build/app/." "$work/app/"; }
DISPLAY=":$display" LANG=C.UTF-8 COMPUTERNAME="KPV-PC01" QT_QPA_PLATFORM=xcb "$work/app/kpv" >/dev/null 2>&1 &
app_pid=$!
sleep 3
kill -0 "$app_pid" 2>/dev/null || { echo "The program ended before the screenshot." >&2; exit 1; }

mkdir -p "$(dirname "$out")"
# The menu is 1280 x 660 pixels, centred on the screen and 13 pixels higher
# (no window manager runs, so it has no frame).
DISPLAY=":$display" import -window root -crop 1280x660+43+41 +repage "$work/shot.png"
mv "$work/shot.png" "$out"
echo "Wrote $out"

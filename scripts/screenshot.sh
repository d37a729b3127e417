#!/usr/bin/env bash
# Takes the screenshot of the menu for the README (docs/menu.png).
# Builds nothing: run it after a build. Starts its own Xvfb on a free display,
# runs the program on a temporary copy of the program folder (a fresh
# installation), captures the screen and ends what it started.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="$here/${BUILD_DIR:-build}"
out="$here/docs/menu.png"
[ -x "$build/app/kpv" ] || { echo "No program at $build/app/kpv: build first." >&2; exit 1; }
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

# A free display number.
display=99
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done

Xvfb ":$display" -screen 0 1366x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done

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

#!/usr/bin/env bash
# Takes every screenshot of the README and of the user guide (docs/*.png) in
# one go, under one Xvfb of its own that it ends by its PID:
#   the menu                      scripts/screenshot.sh         menu.png
#   the ledger screen with a card scripts/screenshot.sh ledger  ledger.png
#   the word list, the calculator scripts/screenshot-entry.sh   ledger-word-list.png, calculator.png
#   narrowing, the sort panel     tools/search_shot             narrowed.png, sort.png
#   the import screen             scripts/screenshot-import.sh  import.png
#   the settings screen           scripts/screenshot-settings.sh settings.png, word-list-editor.png
#   the other panels              tools/guide_shot              menu-options.png, menu-admin.png,
#                                 menu-examples.png, menu-login.png, common-documents.png,
#                                 start-of-use.png, delete.png, monthly.png, data-folder.png
# Run it after a build (it builds only the two shot programs that the
# default build leaves out). Every picture is taken on a temporary copy of the
# example ledger (tests/data/ledger30) or of the program folder; nothing of
# the build or the repository's data changes.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
export BUILD_DIR="${BUILD_DIR:-build}"
build="$here/$BUILD_DIR"
[ -x "$build/app/kpv" ] || { echo "No program at $build/app/kpv: build first (bash scripts/build.sh)." >&2; exit 1; }
for tool in Xvfb import; do
  command -v "$tool" >/dev/null || { echo "$tool is missing (apt-get install xvfb imagemagick)." >&2; exit 1; }
done
cmake --build "$build" --target kpv_settings_shot guide_shot search_shot -j2 >/dev/null

work="$(mktemp -d)"
xvfb_pid=""
cleanup() {
  if [ -n "$xvfb_pid" ] && [ "$xvfb_pid" -gt 1 ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

display=99
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1366x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
[ -e "/tmp/.X11-unix/X$display" ] || { echo "Xvfb did not start on :$display." >&2; exit 1; }
export KPV_SHOT_DISPLAY=":$display"
export DISPLAY=":$display" LANG=C.UTF-8 COMPUTERNAME=KPV-PC01
mkdir -p "$here/docs"

bash "$here/scripts/screenshot.sh" menu
bash "$here/scripts/screenshot.sh" ledger
bash "$here/scripts/screenshot-entry.sh"
bash "$here/scripts/screenshot-import.sh"
bash "$here/scripts/screenshot-settings.sh"

# A fresh copy of the example ledger as a data folder on a share.
example() {
  data="$work/共有/予備品2025"
  rm -rf "$work/共有"
  mkdir -p "$data"
  cp "$here/tests/data/ledger30/"*.dat "$data/"
  chmod u+w "$data/"*
}
example
QT_QPA_PLATFORM=xcb "$build/tools/search_shot/search_shot" "$data" "$here/docs/narrowed.png" "$here/docs/sort.png"
echo "Wrote docs/narrowed.png and docs/sort.png"
example
QT_QPA_PLATFORM=xcb timeout 120 "$build/tools/guide_shot/guide_shot" "$build/app" "$data" "$here/docs"
echo "Wrote the guide's panels (docs/menu-options.png … docs/data-folder.png)"

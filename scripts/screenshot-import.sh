#!/usr/bin/env bash
# Takes the picture of the import screen for the README (docs/import.png).
# Builds nothing: run it after a build. The screen is rendered off screen on a
# temporary data folder (kpv_form10_shot), with the example books listed.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="$here/${BUILD_DIR:-build}"
shot="$build/import/kpv_form10_shot"
[ -x "$shot" ] || { echo "No $shot: build first." >&2; exit 1; }
mkdir -p "$here/docs"
QT_QPA_PLATFORM=offscreen LANG=C.UTF-8 "$shot" "$build/app" "$here/docs/import.png"
echo "Wrote $here/docs/import.png"

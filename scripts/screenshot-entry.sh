#!/usr/bin/env bash
# Takes the README pictures of the card's entry tools: a new item's card with
# its text box and word list open (docs/ledger-word-list.png) and the mouse
# calculator (docs/calculator.png). Builds nothing: run it after a build.
# Renders off screen on a temporary copy of the 30-item example ledger.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="$here/${BUILD_DIR:-build}"
tool="$build/tools/entry_shot/entry_shot"
[ -x "$tool" ] || { echo "No $tool: build first." >&2; exit 1; }
example="$here/tests/data/ledger30"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/data" "$here/docs"
cp "$example"/* "$work/data/"
chmod u+w "$work/data"/*
LANG=C.UTF-8 QT_QPA_PLATFORM=offscreen "$tool" "$work/data" "$here/docs/ledger-word-list.png" "$here/docs/calculator.png"
echo "Wrote docs/ledger-word-list.png and docs/calculator.png"

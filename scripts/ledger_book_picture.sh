#!/usr/bin/env bash
# The README's picture of a ledger workbook (docs/ledger_book.png): the
# ledger workbook of the example ledger (tests/data/ledger30), written by
# tools/ledger_book and rendered to PNG by the office with a profile of its
# own. Builds nothing: run it after a build. Ends only what it started.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="$here/${BUILD_DIR:-build}"
tool="$build/tools/ledger_book/ledger_book"
[ -x "$tool" ] || { echo "No tool at $tool: build the target ledger_book first." >&2; exit 1; }

work="$(mktemp -d)"
office_pid=""
cleanup() {
  if [ -n "$office_pid" ] && [ "$office_pid" -gt 1 ]; then kill "$office_pid" 2>/dev/null || true; wait "$office_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/data/M在庫台帳" "$work/data/M在庫資料"
cp "$here/tests/data/ledger30/"*.dat "$work/data/"
chmod u+w "$work/data/"*
KPV_SOFFICE_HEADLESS=1 LANG=C.UTF-8 "$tool" "$work/data" "$build/app" "$work/在庫品台帳.xls"

soffice="${SOFFICE:-/usr/lib/libreoffice/program/soffice}"
# The office renders the sheet to PDF (its PNG export needs the graphic
# filters of LibreOffice Draw); pdftoppm turns the first page into the PNG.
command -v pdftoppm >/dev/null || { echo "pdftoppm is missing (apt-get install poppler-utils)." >&2; exit 1; }
"$soffice" -env:UserInstallation="file://$work/profile" --headless --norestore \
  --convert-to pdf --outdir "$work/pdf" "$work/在庫品台帳.xls" >/dev/null 2>&1 &
office_pid=$!
for _ in $(seq 480); do kill -0 "$office_pid" 2>/dev/null || break; sleep 0.5; done
if kill -0 "$office_pid" 2>/dev/null; then kill "$office_pid" 2>/dev/null || true; fi
wait "$office_pid" 2>/dev/null || true
office_pid=""
[ -f "$work/pdf/在庫品台帳.pdf" ] || { echo "The office wrote no PDF." >&2; exit 1; }
mkdir -p "$here/docs"
pdftoppm -png -r 110 -f 1 -l 1 -singlefile "$work/pdf/在庫品台帳.pdf" "$here/docs/ledger_book"
echo "docs/ledger_book.png"

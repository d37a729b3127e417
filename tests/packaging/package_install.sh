#!/usr/bin/env bash
# The package installed with dpkg into a temporary root, then a user's first
# start of the installed program: that user's client folder is made from the
# read-only program folder under the user's data folder, without a question,
# and the program folder stays as installed. Also asks apt, without
# installing anything, whether every dependency can be had from the archive.
# Installing into a root needs root: otherwise the test says so in one line
# and is skipped (exit 77).
#   package_install.sh OUT_DIR   (OUT_DIR/kpv.deb from package_build.sh)
set -euo pipefail
out="$1"
deb="$out/kpv.deb"
fail() { echo "FAIL: $*" >&2; exit 1; }
[ -f "$deb" ] || fail "no package at $deb (the package build test makes it)"
if [ "$(id -u)" -ne 0 ]; then
  echo "SKIPPED: installing the package into a temporary root needs root (the package itself was built and checked)."
  exit 77
fi

work="$(mktemp -d)"
app_pid=""
cleanup() {
  if [ -n "$app_pid" ] && [ "$app_pid" -gt 1 ]; then kill "$app_pid" 2>/dev/null || true; wait "$app_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

# Every dependency resolvable from the archive (no download, no change).
if command -v apt-get >/dev/null && compgen -G "/var/lib/apt/lists/*_Packages*" >/dev/null; then
  apt-get -s -q install "$deb" >"$work/apt.log" 2>&1 || { cat "$work/apt.log" >&2; fail "apt cannot install the package's dependencies"; }
  echo "apt resolves every dependency"
else
  echo "apt check left out: no package lists on this machine (apt-get update makes them)"
fi

root="$work/root"
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates" "$root/var/lib/dpkg/triggers"
touch "$root/var/lib/dpkg/status" "$root/var/lib/dpkg/available"
# The temporary root has none of the dependencies: they are the host's.
dpkg --root="$root" --force-depends -i "$deb" >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log" >&2; fail "dpkg -i into $root"; }
grep -q "^Package: kpv$" "$root/var/lib/dpkg/status" || fail "dpkg did not register the package"
installed="$root/usr/lib/kpv"
[ -x "$installed/kpv" ] && [ -x "$root/usr/bin/kpv" ] || fail "the program is not installed"
LANG=C.UTF-8 "$root/usr/bin/kpvtool" --help | grep -qF "使い方: kpvtool" || fail "kpvtool --help from /usr/bin"
before="$(cd "$installed" && find . -printf '%p %s %T@\n' | sort)"

# First start of a user (XDG_DATA_HOME unset: ~/.local/share/kpv).
first_start() {
  local home="$1" expect="$2"
  shift 2
  mkdir -p "$home"
  env -u XDG_DATA_HOME HOME="$home" "$@" LANG=C.UTF-8 QT_QPA_PLATFORM=offscreen COMPUTERNAME=PKG-TEST \
    KPV_SOFFICE_HEADLESS=1 "$root/usr/bin/kpv" >"$work/kpv.log" 2>&1 &
  app_pid=$!
  for _ in $(seq 600); do
    [ -f "$expect/MbDOLV在庫品基礎.dat" ] && [ -f "$expect/Ma在庫品基礎.dat" ] && break
    kill -0 "$app_pid" 2>/dev/null || { cat "$work/kpv.log" >&2; fail "the installed program ended at its first start"; }
    sleep 0.1
  done
  sleep 0.5
  kill "$app_pid" 2>/dev/null || true
  wait "$app_pid" 2>/dev/null || true
  app_pid=""
  [ -f "$expect/MbDOLV在庫品基礎.dat" ] || { cat "$work/kpv.log" >&2; fail "no client settings in $expect"; }
  # Stand-alone: the data folder (slot 1) is the user's client folder.
  [ "$(iconv -f CP932 -t UTF-8 "$expect/MbDOLV在庫品基礎.dat" | head -1 | tr -d '\r"')" = "$expect/" ] \
    || fail "the data folder of the first start is not $expect/"
  for f in "原本Excel/在庫出力台帳.xls" "原本Excel/Mb入出庫月報.xls" "原本INP/Mb在庫品INP.xls" "見本INP/Mb在庫品INP.xls" "M在庫資料/Mb入出庫月報.xls"; do
    [ -f "$expect/$f" ] || fail "the first start did not make $expect/$f"
  done
  [ -d "$expect/設備画像" ] || fail "no pictures folder in $expect"
  [ -w "$expect/原本Excel/在庫出力台帳.xls" ] || fail "the user's template copy is not writable"
  [ ! -e "$expect/kpv" ] || fail "the program itself was copied into the client folder"
}
first_start "$work/home" "$work/home/.local/share/kpv"
first_start "$work/home2" "$work/xdg/kpv" XDG_DATA_HOME="$work/xdg"

after="$(cd "$installed" && find . -printf '%p %s %T@\n' | sort)"
[ "$before" = "$after" ] || fail "the first start changed the installed program folder"
echo "installed into a temporary root; first starts made ~/.local/share/kpv and \$XDG_DATA_HOME/kpv"

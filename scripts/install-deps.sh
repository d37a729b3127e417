#!/usr/bin/env bash
# Installs the Debian 12 packages the project needs (build, run, tests).
# Does nothing when they are all present already.
set -euo pipefail

PACKAGES=(
  # build
  cmake g++ make pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev libxkbcommon-dev
  libgtest-dev libbenchmark-dev
  # the collator of the sort (ICU, as Qt uses it)
  libicu-dev
  # spreadsheet application and its SDK (UNO)
  libreoffice-calc libreoffice-dev fonts-liberation2
  # independent .xls reader for the tests
  libfreexl-dev
  # Japanese screen font, a display for screenshots and headless runs
  fonts-ipafont-gothic xvfb xauth x11-apps imagemagick
  # the README's picture of a ledger workbook (PDF page to PNG)
  poppler-utils
  # the Debian package: dependencies of the programs, the desktop entry check
  dpkg-dev file desktop-file-utils
  # the shared-folder tests on a real SMB share: a Samba server and two FUSE
  # mounts of it (tests/shared/on_share.sh), in namespaces of their own
  samba smbclient smbnetfs iproute2 util-linux
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then SUDO="sudo"; else
    echo "These packages are missing and this user cannot install them (run as root): ${missing[*]}" >&2
    exit 1
  fi
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"

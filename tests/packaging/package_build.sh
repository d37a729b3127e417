#!/usr/bin/env bash
# The Debian package made from this build: its name, what it holds (and what
# it must never hold), its dependencies, its desktop entry and the programs'
# search path for the office's libraries. Leaves the package in OUT for the
# installation test.
#   package_build.sh BUILD_DIR OUT_DIR
set -euo pipefail
build="$1"
out="$2"
fail() { echo "FAIL: $*" >&2; exit 1; }

rm -rf "$out"
mkdir -p "$out"
if ! cpack --config "$build/CPackConfig.cmake" -G DEB -B "$out/cpack" >"$out/cpack.log" 2>&1; then
  cat "$out/cpack.log" >&2
  fail "cpack -G DEB failed"
fi
version="$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")"
[ -n "$version" ] || fail "no package version in CPackConfig.cmake"
deb="$out/cpack/kpv_${version}_amd64.deb"
[ -f "$deb" ] || fail "no $deb (made: $(ls "$out/cpack"))"
cp "$deb" "$out/kpv.deb"
echo "built $(basename "$deb")"

contents="$(dpkg-deb -c "$deb")"
# One path a line ("./usr/bin/kpv -> ../lib/kpv/kpv" for a link).
paths="$(sed -n 's|^.* \(\./.*\)$|\1|p' <<<"$contents")"
must_hold=(
  ./usr/lib/kpv/kpv
  ./usr/lib/kpv/kpvtool
  ./usr/lib/kpv/kpv-installed
  "./usr/lib/kpv/原本Excel/在庫出力台帳.xls"
  "./usr/lib/kpv/原本Excel/Mb入出庫月報.xls"
  "./usr/lib/kpv/原本INP/Mb在庫品INP.xls"
  "./usr/lib/kpv/原本INP/Mb在庫品項目INP.xls"
  "./usr/lib/kpv/見本INP/Mb在庫品INP.xls"
  "./usr/lib/kpv/見本INP/Mb在庫品項目INP.xls"
  "./usr/lib/kpv/設備画像/"
  "./usr/bin/kpv -> ../lib/kpv/kpv"
  "./usr/bin/kpvtool -> ../lib/kpv/kpvtool"
  ./usr/share/applications/kpv.desktop
  ./usr/share/icons/hicolor/scalable/apps/kpv.svg
  ./usr/share/icons/hicolor/48x48/apps/kpv.png
  "./usr/share/doc/kpv/ja/利用の手引き.md"
  ./usr/share/doc/kpv/menu.png
)
for path in "${must_hold[@]}"; do
  grep -qxF -- "$path" <<<"$paths" || fail "the package lacks $path"
done
# Data of a run from the build folder never goes into a package.
for data in Ma在庫品.dat Ma在庫品基礎.dat MbDOLV在庫品基礎.dat M在庫台帳 M在庫資料; do
  if grep -qF "$data" <<<"$paths"; then fail "the package holds user data: $(grep -F "$data" <<<"$paths" | head -1)"; fi
done

depends="$(dpkg-deb -f "$deb" Depends)"
echo "Depends: $depends"
for p in libqt6core6 libqt6gui6 libqt6widgets6 libicu72 libuno-cppu3 libreoffice-calc fonts-ipafont-gothic xdg-utils; do
  grep -qE "(^|, )$p( |,|$)" <<<"$depends" || fail "Depends lacks $p"
done
[ "$(dpkg-deb -f "$deb" Package)" = kpv ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Architecture)" = amd64 ] || fail "architecture"

# The desktop entry and the programs, as installed.
files="$out/files"
mkdir -p "$files"
dpkg-deb -x "$deb" "$files"
entry="$files/usr/share/applications/kpv.desktop"
for line in "Name=予備品管理" "Name[ja]=予備品管理" "Exec=kpv" "Icon=kpv" "Categories=Office;" "Type=Application" "Terminal=false"; do
  grep -qxF "$line" "$entry" || fail "the desktop entry lacks $line"
done
if command -v desktop-file-validate >/dev/null; then desktop-file-validate "$entry" || fail "desktop-file-validate"; fi
readelf -d "$files/usr/lib/kpv/kpv" | grep -q "/usr/lib/libreoffice/program" \
  || fail "the installed program does not find the office's libraries (no run path to /usr/lib/libreoffice/program)"
LANG=C.UTF-8 "$files/usr/lib/kpv/kpvtool" --help | grep -qF "使い方: kpvtool" || fail "kpvtool --help is not the Japanese help"
echo "package contents, dependencies and desktop entry checked"

#!/bin/sh
# Builds the Debian package with cpack, checks its control fields, unpacks it
# into a scratch root and runs the converter from there on a sample archive.
# Exits 77 (skipped) without dpkg-shlibdeps, which works out the dependencies.
# Usage: deb_test.sh BUILD_DIR WORK_DIR SAMPLE_ARCHIVE WINDOW_PROGRAM_BUILT(ON|OFF)
set -eu
build=$1
work=$2
sample=$3
window=$4
command -v dpkg-shlibdeps >/dev/null 2>&1 ||
  { echo "dpkg-shlibdeps (dpkg-dev) is not installed: skipped"; exit 77; }
rm -rf "$work"
mkdir -p "$work"
(cd "$build" && cpack -G DEB -B "$work" >"$work/cpack.log" 2>&1) ||
  { cat "$work/cpack.log"; exit 1; }
set -- "$work"/duskweave_*.deb
[ -f "$1" ] || { echo "cpack wrote no duskweave_*.deb"; ls "$work"; exit 1; }
deb=$1

fail() { echo "FAIL: $*"; exit 1; }
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = duskweave ] || fail "Package is $(field Package)"
[ "$(field Section)" = graphics ] || fail "Section is $(field Section)"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
field Description | grep -q 'DEF' || fail "Description does not say what it is"
depends=$(field Depends)
for lib in libc6 libstdc++6 libpng16-16; do
  echo "$depends" | grep -q "$lib" || fail "Depends lacks $lib: $depends"
done
if [ "$window" = ON ]; then
  for lib in libqt6widgets6 fonts-dejavu-extra qt6-translations-l10n; do
    echo "$depends" | grep -q "$lib" || fail "Depends lacks $lib: $depends"
  done
fi

root="$work/root"
dpkg-deb -x "$deb" "$root"
convert="$root/usr/bin/duskweave-convert"
grep -q '^License: GPL-3.0-or-later' "$root/usr/share/doc/duskweave/copyright" ||
  fail "no copyright file naming the licence"
if readelf --sections "$convert" | grep -q '\.debug_'; then fail "duskweave-convert is not stripped"; fi
"$convert" --version | grep -qx 'duskweave-convert [0-9.]*' || fail "--version: $("$convert" --version)"
"$convert" list "$sample" >"$work/list.txt" || fail "list failed"
grep -q . "$work/list.txt" || fail "list printed nothing"
echo "$(basename "$deb"): Depends: $depends"
rm -rf "$work"

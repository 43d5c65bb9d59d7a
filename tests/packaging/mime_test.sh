#!/bin/sh
# Builds a MIME database from the DEF type alone and checks that *.def files
# are known by name (the format has no reliable magic), or exits 77 (skipped)
# without update-mime-database.
# Usage: mime_test.sh MIME_XML
set -eu
command -v update-mime-database >/dev/null 2>&1 ||
  { echo "update-mime-database is not installed: skipped"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/packages"
cp "$1" "$work/packages/duskweave.xml"
PKGSYSTEM_ENABLE_FSYNC=0 update-mime-database "$work" >/dev/null 2>&1
grep -qx '50:application/x-duskweave-def:\*\.def' "$work/globs2" ||
  { echo "globs2 lacks *.def:"; cat "$work/globs2"; exit 1; }
if [ -s "$work/magic" ] && grep -q duskweave "$work/magic"; then
  echo "the DEF type must not claim files by their content"; exit 1
fi
grep -q 'application/x-duskweave-def' "$work/types"
echo "*.def is application/x-duskweave-def"

#!/bin/sh
# The window program's command line where no window can open: --help and
# --version answer and exit 0, and without any display it says so in one line
# and exits 1 instead of aborting.
# Usage: window_command_line_test.sh PROGRAM VERSION
set -u
program=$1
version=$2
fail() { echo "FAIL: $*"; exit 1; }
run() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" "$@" >out.txt 2>err.txt; }
cd "$(mktemp -d)" || exit 1
trap 'rm -rf "$PWD"' EXIT

run --help; status=$?
[ "$status" = 0 ] || fail "--help exits $status"
head -n 1 out.txt | grep -q '^Usage: duskweave \[FILE.def\]$' || fail "--help: $(cat out.txt)"
[ ! -s err.txt ] || fail "--help wrote to stderr: $(cat err.txt)"

run --version; status=$?
[ "$status" = 0 ] || fail "--version exits $status"
[ "$(cat out.txt)" = "duskweave $version" ] || fail "--version: $(cat out.txt)"

run; status=$?
[ "$status" = 1 ] || fail "no display: exit $status"
[ "$(wc -l < err.txt)" = 1 ] || fail "no display: $(cat err.txt)"
grep -q '^duskweave: no display' err.txt || fail "no display: $(cat err.txt)"
echo "ok"

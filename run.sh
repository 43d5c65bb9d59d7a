#!/usr/bin/env bash
# Installs what building and running needs, builds the two programs and the
# sample archives into build/, and starts the window program in a folder of
# sample archives, so that the first "..." opens there. Without a display it
# converts the samples with the command-line converter instead.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/ensure_deps.sh
ensure_build_deps

# The tests stay configured when their packages are there (after ./test.sh),
# so that the same build/ serves both; they are not built here.
tests=OFF
if have_test_deps; then tests=ON; fi
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDUSKWEAVE_TESTS="$tests" >/dev/null
cmake --build build -j"$(nproc)" --target duskweave duskweave-convert samples

here=$(pwd)
samples="$here/build/run-samples"
mkdir -p "$samples"
cp -f "$here"/build/samples/*.def "$samples"/

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  out="$here/build/samples-bmp"
  echo "No display: converting the sample archives with build/duskweave-convert instead."
  "$here/build/duskweave-convert" export --quiet "$samples" "$out"
  echo "BMP files written to $out"
  exit 0
fi

cd "$samples"
exec "$here/build/duskweave"

#!/usr/bin/env bash
# Installs what is missing, builds into build/, and starts the window program
# in a folder of sample archives, so that the first "..." opens there. Without
# a display it converts the samples with the command-line converter instead.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/ensure_deps.sh
ensure_deps

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"

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

#!/usr/bin/env bash
# Installs what building and testing need, builds, and runs every test: the
# full build under the offscreen Qt platform, then the converter core again
# under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/ensure_deps.sh
ensure_test_deps

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDUSKWEAVE_TESTS=ON >/dev/null
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs" --timeout 300

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DDUSKWEAVE_GUI=OFF -DDUSKWEAVE_BENCH=OFF \
  -DDUSKWEAVE_SANITIZE=ON -DDUSKWEAVE_TESTS=ON >/dev/null
cmake --build build-asan -j"$jobs"
ctest --test-dir build-asan --output-on-failure -j"$jobs" --timeout 600

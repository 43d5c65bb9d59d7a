#!/usr/bin/env bash
# Installs what building and testing need, builds, and runs every test: the
# full build under the offscreen Qt platform, then the converter core again
# under AddressSanitizer and UndefinedBehaviorSanitizer, then the libFuzzer
# targets (clang) replaying their saved inputs.
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

# Only the fuzz targets and their seed writers are built here; each replays
# its saved inputs once (-runs=0), no fuzzing.
CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDUSKWEAVE_FUZZ=ON \
  -DDUSKWEAVE_GUI=OFF -DDUSKWEAVE_BENCH=OFF -DDUSKWEAVE_TESTS=ON >/dev/null
cmake --build build-fuzz -j"$jobs" --target fuzz_targets
ctest --test-dir build-fuzz -L fuzz --output-on-failure -j"$jobs" --timeout 600

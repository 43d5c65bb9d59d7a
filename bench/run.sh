#!/usr/bin/env bash
# Builds the converter core and duskweave-convert in Release into build-bench/,
# generates archives shaped like real ones, and prints the benchmark table.
# Extra arguments go to the benchmark program (--repetitions N, --only LABEL,
# --verbose, --keep, --no-scaling, --scaling-only).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/ensure_deps.sh
ensure_build_deps

cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DDUSKWEAVE_GUI=OFF >/dev/null
cmake --build build-bench -j"$(nproc)" --target duskweave-bench duskweave-convert >/dev/null
exec build-bench/bench/duskweave-bench --converter "$(pwd)/build-bench/duskweave-convert" "$@"

#!/usr/bin/env bash
# Builds the converter core and duskweave-convert in Release into build-bench/,
# generates archives shaped like real ones, and prints the benchmark table.
# Extra arguments go to the benchmark program (--repetitions N, --only LABEL,
# --verbose, --keep, --no-scaling, --scaling-only; --paths-only [--baseline
# OLDER-CONVERTER] [--copies N] for the BMP/PNG/--alpha/--layers/jobs/list table).
# DUSKWEAVE_BENCH_DIR=FOLDER writes the files there instead of /dev/shm.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/ensure_deps.sh
ensure_build_deps

# Files go to memory (tmpfs) unless DUSKWEAVE_BENCH_DIR names another folder:
# on a virtual machine's disk the kernel's own cost of creating the same
# 10,000 files varies tenfold from run to run, which drowns every ratio.
bench_dir="${DUSKWEAVE_BENCH_DIR:-/dev/shm}"
if [ -d "$bench_dir" ] && [ -w "$bench_dir" ]; then
  export TMPDIR="$bench_dir"
fi

cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DDUSKWEAVE_GUI=OFF >/dev/null
cmake --build build-bench -j"$(nproc)" --target duskweave-bench duskweave-convert >/dev/null
exec build-bench/bench/duskweave-bench --converter "$(pwd)/build-bench/duskweave-convert" "$@"

#!/bin/sh
# Runs a libFuzzer target over its saved inputs with -runs=0, which executes
# the given inputs and no others: the regression inputs every fuzz build
# replays. The saved folder is only read; the seed writer's inputs and
# anything libFuzzer writes go to the scratch folder, which comes first.
# Usage: replay_saved.sh FUZZER SAVED_FOLDER SCRATCH_FOLDER [SEED_WRITER]
set -eu
fuzzer=$1
saved=$2
scratch=$3
seeds=${4:-}
rm -rf "$scratch"
mkdir -p "$scratch"
if [ -n "$seeds" ]; then "$seeds" "$scratch"; fi
set -- "$scratch"
if [ -d "$saved" ]; then set -- "$@" "$saved"; fi
inputs=$(find "$@" -type f | wc -l)
if [ "$inputs" -eq 0 ]; then
  echo "no saved inputs for $fuzzer"
  exit 1
fi
echo "replaying $inputs inputs"
"$fuzzer" -runs=0 -timeout=30 -rss_limit_mb=2048 "$@"
rm -rf "$scratch"

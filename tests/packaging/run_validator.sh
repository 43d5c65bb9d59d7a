#!/bin/sh
# Runs a validator on one file, or exits 77 (skipped) when the validator is
# not installed.
# Usage: run_validator.sh TOOL [ARGUMENTS...] FILE
command -v "$1" >/dev/null 2>&1 || { echo "$1 is not installed: skipped"; exit 77; }
exec "$@"

#!/bin/sh
# Runs every fuzz target of the fuzz build for a while.
#   tools/run-fuzz.sh BUILD_DIR SECONDS
# Each target first runs over its seed corpus in fuzz/corpus/<target>/ (inputs that once
# broke a rule stay there), then explores for SECONDS more. New inputs found on the way go to
# a scratch folder, not into the repository. A broken rule stops the run with the input
# saved as BUILD_DIR/fuzz/<target>-crash-*, to be added to the corpus once mended.
set -eu
build=${1:?build folder}
seconds=${2:?seconds per target}
source_dir=$(cd "$(dirname "$0")/.." && pwd)
# The targets write their files afresh for every input: a memory file system keeps that fast.
scratch=$(mktemp -d -p /dev/shm 2>/dev/null || mktemp -d)
trap 'rm -rf "$scratch"' EXIT INT TERM
export TMPDIR="$scratch/tmp"
mkdir -p "$TMPDIR"

for program in "$build"/fuzz/*_fuzz; do
  target=$(basename "$program")
  seeds="$source_dir/fuzz/corpus/$target"
  mkdir -p "$scratch/$target"
  echo "== $target: ${seconds}s"
  "$program" -max_len=8192 -timeout=10 -rss_limit_mb=1024 -print_final_stats=1 \
    -max_total_time="$seconds" -artifact_prefix="$build/fuzz/$target-" \
    "$scratch/$target" "$seeds" 2>"$scratch/$target.log" </dev/null || {
    tail -n 60 "$scratch/$target.log"
    exit 1
  }
  grep -E "^(#[0-9]+.*DONE|stat::number_of_executed_units|stat::average_exec_per_sec)" \
    "$scratch/$target.log" || true
done

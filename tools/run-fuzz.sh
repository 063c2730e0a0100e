#!/bin/sh
# Runs every fuzz target of the fuzz build for a while, JOBS of them at a time (default 2).
#   tools/run-fuzz.sh BUILD_DIR SECONDS [JOBS]
# Each target first runs over its seed corpus in fuzz/corpus/<target>/ (inputs that once
# broke a rule stay there), then explores for SECONDS more. New inputs found on the way go to
# a scratch folder, not into the repository. A broken rule fails the run, with the end of the
# target's log shown and the input saved as BUILD_DIR/fuzz/<target>-crash-*, to be added to
# the corpus once mended.
set -eu
build=${1:?build folder}
seconds=${2:?seconds per target}
jobs=${3:-2}
source_dir=$(cd "$(dirname "$0")/.." && pwd)
# The targets write their files afresh for every input: a memory file system keeps that fast.
scratch=$(mktemp -d -p /dev/shm 2>/dev/null || mktemp -d)
trap 'rm -rf "$scratch"' EXIT INT TERM

# fuzz PROGRAM: one target over its corpus and on; its summary, or its log's end when it fails.
fuzz() {
  target=$(basename "$1")
  mkdir -p "$scratch/$target" "$scratch/$target.tmp"
  if TMPDIR="$scratch/$target.tmp" "$1" -max_len=8192 -timeout=10 -rss_limit_mb=1024 \
    -print_final_stats=1 -max_total_time="$seconds" -artifact_prefix="$build/fuzz/$target-" \
    "$scratch/$target" "$source_dir/fuzz/corpus/$target" 2>"$scratch/$target.log" </dev/null; then
    echo "== $target: ${seconds}s, $(sed -n 's/^stat::number_of_executed_units: *//p' \
      "$scratch/$target.log") runs, $(sed -n 's/^stat::average_exec_per_sec: *//p' \
      "$scratch/$target.log") a second"
  else
    echo "== $target: a rule broke; the end of its log:"
    tail -n 60 "$scratch/$target.log"
    return 1
  fi
}

# lane N: every JOBS-th target from the N-th on, one after another.
lane() {
  index=0
  failed=0
  for program in "$build"/fuzz/*_fuzz; do
    [ $((index % jobs)) -eq "$1" ] && { fuzz "$program" || failed=1; }
    index=$((index + 1))
  done
  return "$failed"
}

lanes=""
n=0
while [ "$n" -lt "$jobs" ]; do
  lane "$n" &
  lanes="$lanes $!"
  n=$((n + 1))
done
status=0
for pid in $lanes; do wait "$pid" || status=1; done
exit "$status"

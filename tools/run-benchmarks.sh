#!/bin/sh
# Runs every benchmark program of a build folder.
set -eu
build=${1:-build}
for program in $(find "$build/bench" -type f -perm -u+x -name '*_bench' | sort); do
  echo "== $program"
  "$program" --benchmark_min_time=0.2
done

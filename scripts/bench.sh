#!/usr/bin/env bash
# Runs every benchmark of a build (an optimised one: Release) and reports
# its figures; the JSON of each run goes to DIR/bench-results/. $1: the build
# directory. VARSONA_BENCH_MIN_TIME sets the seconds each measurement runs
# for (benchmarks with fixed iterations keep theirs).
set -euo pipefail
BUILD=${1:?usage: bench.sh BUILD_DIR}
MIN_TIME=${VARSONA_BENCH_MIN_TIME:-0.2}
type=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$BUILD/CMakeCache.txt")
if [ "$type" != "Release" ]; then
  echo "bench.sh: $BUILD is a ${type:-default} build; figures come from a Release build" >&2
  exit 1
fi
RESULTS="$BUILD/bench-results"
mkdir -p "$RESULTS"
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  XDG_RUNTIME_DIR=$(mktemp -d)
  export XDG_RUNTIME_DIR
fi
found=0
while IFS= read -r bench; do
  found=1
  name=$(basename "$bench")
  echo "== $name"
  "$bench" --benchmark_min_time="$MIN_TIME" --benchmark_out="$RESULTS/$name.json" --benchmark_out_format=json
done < <(find "$BUILD/bench" -type f -name '*_bench' -perm -u+x | sort)
if [ "$found" -eq 0 ]; then
  echo "bench.sh: no benchmarks in $BUILD (is libbenchmark-dev installed?)" >&2
  exit 1
fi

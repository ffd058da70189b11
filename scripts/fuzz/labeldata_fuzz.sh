#!/usr/bin/env bash
# Runs the label data file reader's fuzz target for a minute under the
# address and undefined-behaviour sanitizers, seeded with small label data
# files (fuzz/seeds/labeldata, left untouched): any crash, leak, sanitizer
# report or broken invariant fails the run. Prints the count of runs. $1
# (the main build directory) is not used.
set -euo pipefail
VARSONA_ROOT=$(cd "$(dirname "$0")/../.." && pwd)
source "$VARSONA_ROOT/scripts/setup.sh"
BUILD=${VARSONA_FUZZ_BUILD_DIR:-$VARSONA_ROOT/build-fuzz}
SECONDS_TO_RUN=${VARSONA_FUZZ_SECONDS:-60}
varsona_fuzz_build "$BUILD" labeldata_fuzz

CORPUS="$BUILD/labeldata-fuzz-corpus"
ARTIFACTS="$BUILD/labeldata-fuzz-artifacts"
LOG="$BUILD/labeldata-fuzz.log"
mkdir -p "$CORPUS" "$ARTIFACTS"
status=0
"$BUILD/fuzz/labeldata_fuzz" -max_total_time="$SECONDS_TO_RUN" -timeout=20 -rss_limit_mb=2560 \
  -max_len=4096 -print_final_stats=1 -artifact_prefix="$ARTIFACTS/" \
  "$CORPUS" "$VARSONA_ROOT/fuzz/seeds/labeldata" >"$LOG" 2>&1 || status=$?
runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$LOG" | tail -1)
echo "labeldata-fuzz: ${runs:-0} runs in ${SECONDS_TO_RUN} s"
if [ "$status" -ne 0 ]; then
  tail -n 60 "$LOG" >&2
  echo "labeldata-fuzz: FAILED (the input is in $ARTIFACTS)" >&2
  exit "$status"
fi
echo "labeldata-fuzz: no crash in ${SECONDS_TO_RUN} s"

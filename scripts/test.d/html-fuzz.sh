#!/usr/bin/env bash
# Builds the fuzz target of the grid's HTML cell text (measuring on an
# offscreen bitmap's canvas) with clang and the sanitizers in the shared fuzz
# build directory and runs it for a minute, seeded with small cell texts
# (fuzz/seeds/html). Any crash, leak or sanitizer report fails the run; the
# count of runs is printed. $1 (the main build directory) is not used.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
VARSONA_ROOT=$ROOT
source "$ROOT/scripts/setup.sh"
BUILD=${VARSONA_FUZZ_BUILD_DIR:-$ROOT/build-fuzz}
SECONDS_TO_RUN=${VARSONA_FUZZ_SECONDS:-60}
varsona_fuzz_build "$BUILD" html_fuzz

CORPUS="$BUILD/html-fuzz-corpus"
ARTIFACTS="$BUILD/html-fuzz-artifacts"
mkdir -p "$CORPUS" "$ARTIFACTS"
export QT_QPA_PLATFORM=offscreen
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$VARSONA_ROOT/fuzz/html-fuzz.supp:print_suppressions=0}
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  XDG_RUNTIME_DIR=$(mktemp -d)
  export XDG_RUNTIME_DIR
fi
LOG="$BUILD/html-fuzz.log"
set +e
"$BUILD/fuzz/html_fuzz" -max_total_time="$SECONDS_TO_RUN" -timeout=20 -rss_limit_mb=2560 \
  -max_len=4096 -print_final_stats=1 -artifact_prefix="$ARTIFACTS/" "$CORPUS" "$VARSONA_ROOT/fuzz/seeds/html" \
  >"$LOG" 2>&1
status=$?
set -e
# The progress lines are many; the rest (reports, final stats) is shown.
grep -v '^#[0-9]' "$LOG" | tail -n 60
runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$LOG")
echo "html-fuzz: ${runs:-0} runs in ${SECONDS_TO_RUN} s"
[ "$status" -eq 0 ] || { echo "html-fuzz: failed (status $status)" >&2; exit "$status"; }
echo "html-fuzz: no crash in ${SECONDS_TO_RUN} s"

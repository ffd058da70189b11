#!/usr/bin/env bash
# Builds the rich-text reader's fuzz target with clang and the sanitizers in
# the shared fuzz build directory and runs it for a minute, seeded with small
# hand-made documents (fuzz/seeds/richtext, left untouched). Any crash, leak,
# sanitizer report or broken promise of the reader fails the run. $1 (the
# main build directory) is not used.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
VARSONA_ROOT=$ROOT
source "$ROOT/scripts/setup.sh"
BUILD=${VARSONA_FUZZ_BUILD_DIR:-$ROOT/build-fuzz}
SECONDS_TO_RUN=${VARSONA_FUZZ_SECONDS:-60}
varsona_fuzz_build "$BUILD" richtext_fuzz

CORPUS="$BUILD/richtext-fuzz-corpus"
ARTIFACTS="$BUILD/richtext-fuzz-artifacts"
mkdir -p "$CORPUS" "$ARTIFACTS"
"$BUILD/fuzz/richtext_fuzz" -max_total_time="$SECONDS_TO_RUN" -timeout=20 -rss_limit_mb=2560 \
  -max_len=4096 -dict="$ROOT/fuzz/richtext.dict" -print_final_stats=1 -artifact_prefix="$ARTIFACTS/" \
  "$CORPUS" "$ROOT/fuzz/seeds/richtext"
echo "richtext-fuzz: no crash in ${SECONDS_TO_RUN} s"

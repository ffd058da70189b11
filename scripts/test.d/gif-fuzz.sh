#!/usr/bin/env bash
# Builds the two GIF fuzz targets (load and save; load and draw) with clang
# and the sanitizers in one build directory of their own and runs each for a
# minute, seeded with the GIF corpus, printing each one's final stats. Any
# crash, leak or sanitizer report fails the run. $1 (the main build
# directory) is not used: the sanitizer build must not mix with it.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
VARSONA_ROOT=$ROOT
source "$ROOT/scripts/setup.sh"
BUILD=${VARSONA_FUZZ_BUILD_DIR:-$ROOT/build-fuzz}
SECONDS_TO_RUN=${VARSONA_FUZZ_SECONDS:-60}
varsona_fuzz_build "$BUILD" gif_fuzz
varsona_fuzz_build "$BUILD" gif_draw_fuzz

# The seeds stay untouched; new inputs go to a scratch corpus per target.
# Every file of the GIF corpus seeds both (quirks/ and malformed/ included).
SEEDS="$ROOT/tests/gif/fixtures"
rm -rf "$BUILD/gif-fuzz-seeds"
mkdir -p "$BUILD/gif-fuzz-seeds"
for f in "$SEEDS"/*.gif "$SEEDS"/*/*.gif; do
  rel=${f#"$SEEDS"/}
  cp "$f" "$BUILD/gif-fuzz-seeds/${rel//\//_}"
done

for target in gif_fuzz gif_draw_fuzz; do
  CORPUS="$BUILD/$target-corpus"
  ARTIFACTS="$BUILD/$target-artifacts"
  mkdir -p "$CORPUS" "$ARTIFACTS"
  echo "gif-fuzz: $target"
  "$BUILD/fuzz/$target" -max_total_time="$SECONDS_TO_RUN" -timeout=20 -rss_limit_mb=2560 \
    -max_len=65536 -print_final_stats=1 -artifact_prefix="$ARTIFACTS/" \
    "$CORPUS" "$BUILD/gif-fuzz-seeds"
  echo "gif-fuzz: $target: no crash in ${SECONDS_TO_RUN} s"
done

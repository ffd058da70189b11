#!/usr/bin/env bash
# Builds the GIF loading fuzz target with clang and the sanitizers in a build
# directory of its own and runs it for a minute, seeded with the GIF corpus.
# Any crash, leak or sanitizer report fails the run. $1 (the main build
# directory) is not used: the sanitizer build must not mix with it.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
VARSONA_ROOT=$ROOT
source "$ROOT/scripts/setup.sh"
BUILD=${VARSONA_FUZZ_BUILD_DIR:-$ROOT/build-fuzz}
SECONDS_TO_RUN=${VARSONA_FUZZ_SECONDS:-60}
varsona_fuzz_build "$BUILD" gif_fuzz

# The seeds stay untouched; new inputs go to a scratch corpus.
CORPUS="$BUILD/gif-fuzz-corpus"
ARTIFACTS="$BUILD/gif-fuzz-artifacts"
mkdir -p "$CORPUS" "$ARTIFACTS"
# Every file of the GIF corpus seeds it (quirks/ and malformed/ included).
SEEDS="$ROOT/tests/gif/fixtures"
rm -rf "$BUILD/gif-fuzz-seeds"
mkdir -p "$BUILD/gif-fuzz-seeds"
for f in "$SEEDS"/*.gif "$SEEDS"/*/*.gif; do
  rel=${f#"$SEEDS"/}
  cp "$f" "$BUILD/gif-fuzz-seeds/${rel//\//_}"
done

"$BUILD/fuzz/gif_fuzz" -max_total_time="$SECONDS_TO_RUN" -timeout=20 -rss_limit_mb=2560 \
  -max_len=65536 -print_final_stats=1 -artifact_prefix="$ARTIFACTS/" \
  "$CORPUS" "$BUILD/gif-fuzz-seeds"
echo "gif-fuzz: no crash in ${SECONDS_TO_RUN} s"

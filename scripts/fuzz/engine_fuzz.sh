#!/usr/bin/env bash
# Runs the barcode engine's fuzz target for a minute: random setter sequences,
# captions, add-ons and draws on a recording canvas at random positions,
# resolutions and map modes. Any crash, leak, sanitizer report or broken
# invariant fails the run. $1 (the main build directory) is not used.
set -euo pipefail
VARSONA_ROOT=$(cd "$(dirname "$0")/../.." && pwd)
source "$VARSONA_ROOT/scripts/setup.sh"
BUILD=${VARSONA_FUZZ_BUILD_DIR:-$VARSONA_ROOT/build-fuzz}
SECONDS_TO_RUN=${VARSONA_FUZZ_SECONDS:-60}
varsona_fuzz_build "$BUILD" engine_fuzz

# It starts from the inputs that once broke it (fuzz/seeds/engine, left
# untouched); what it finds goes to a scratch corpus.
CORPUS="$BUILD/engine-fuzz-corpus"
ARTIFACTS="$BUILD/engine-fuzz-artifacts"
mkdir -p "$CORPUS" "$ARTIFACTS"
export QT_QPA_PLATFORM=offscreen
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  XDG_RUNTIME_DIR=$(mktemp -d)
  export XDG_RUNTIME_DIR
fi
"$BUILD/fuzz/engine_fuzz" -max_total_time="$SECONDS_TO_RUN" -timeout=20 -rss_limit_mb=2560 \
  -max_len=1024 -print_final_stats=1 -artifact_prefix="$ARTIFACTS/" "$CORPUS" "$VARSONA_ROOT/fuzz/seeds/engine"
echo "engine-fuzz: no crash in ${SECONDS_TO_RUN} s"

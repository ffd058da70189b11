#!/usr/bin/env bash
# GIF files loaded and drawn (frames, masks, the composed bitmap,
# painters), seeded with the GIF test corpus. Any crash, leak or sanitizer
# report fails the run.
set -euo pipefail
VARSONA_ROOT=$(cd "$(dirname "$0")/../.." && pwd)
source "$VARSONA_ROOT/scripts/setup.sh"
SEEDS=${VARSONA_FUZZ_BUILD_DIR:-$VARSONA_ROOT/build-fuzz}/gif_draw_fuzz-seeds
varsona_gif_seeds "$SEEDS"
varsona_fuzz_run gif_draw_fuzz "$SEEDS" 65536

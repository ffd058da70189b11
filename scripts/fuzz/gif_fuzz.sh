#!/usr/bin/env bash
# GIF files loaded and saved, seeded with the GIF test corpus. Any crash,
# leak or sanitizer report fails the run.
set -euo pipefail
VARSONA_ROOT=$(cd "$(dirname "$0")/../.." && pwd)
source "$VARSONA_ROOT/scripts/setup.sh"
SEEDS=${VARSONA_FUZZ_BUILD_DIR:-$VARSONA_ROOT/build-fuzz}/gif_fuzz-seeds
varsona_gif_seeds "$SEEDS"
varsona_fuzz_run gif_fuzz "$SEEDS" 65536

#!/usr/bin/env bash
# The barcode engine: random setter sequences, captions, add-ons and draws
# on a recording canvas at random positions, resolutions and map modes,
# starting from the inputs that once broke it. Any crash, leak, sanitizer
# report or broken invariant fails the run.
set -euo pipefail
VARSONA_ROOT=$(cd "$(dirname "$0")/../.." && pwd)
source "$VARSONA_ROOT/scripts/setup.sh"
export QT_QPA_PLATFORM=offscreen
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  XDG_RUNTIME_DIR=$(mktemp -d)
  export XDG_RUNTIME_DIR
fi
varsona_fuzz_run engine_fuzz "$VARSONA_ROOT/fuzz/seeds/engine" 1024

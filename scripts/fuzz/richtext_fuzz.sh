#!/usr/bin/env bash
# The rich-text reader on any bytes, seeded with small hand-made documents:
# any crash, leak, sanitizer report or broken promise of the reader fails
# the run.
set -euo pipefail
VARSONA_ROOT=$(cd "$(dirname "$0")/../.." && pwd)
source "$VARSONA_ROOT/scripts/setup.sh"
varsona_fuzz_run richtext_fuzz "$VARSONA_ROOT/fuzz/seeds/richtext" 4096 -dict="$VARSONA_ROOT/fuzz/richtext.dict"

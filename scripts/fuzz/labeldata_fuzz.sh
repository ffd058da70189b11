#!/usr/bin/env bash
# The label data file reader, seeded with small label data files: read in
# pieces and whole, and what it read written and read again. Any crash, leak,
# sanitizer report or broken invariant fails the run.
set -euo pipefail
VARSONA_ROOT=$(cd "$(dirname "$0")/../.." && pwd)
source "$VARSONA_ROOT/scripts/setup.sh"
varsona_fuzz_run labeldata_fuzz "$VARSONA_ROOT/fuzz/seeds/labeldata" 4096

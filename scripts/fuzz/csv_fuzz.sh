#!/usr/bin/env bash
# The grid's CSV splitter with separator detection, seeded with small CSV
# files. Any crash, leak, sanitizer report or broken invariant fails the run.
set -euo pipefail
VARSONA_ROOT=$(cd "$(dirname "$0")/../.." && pwd)
source "$VARSONA_ROOT/scripts/setup.sh"
varsona_fuzz_run csv_fuzz "$VARSONA_ROOT/fuzz/seeds/csv" 4096

#!/usr/bin/env bash
# The grid's CSV import into a cell store (no grid, no window), seeded with
# small CSV files. Any crash, leak, sanitizer report or broken invariant
# fails the run.
set -euo pipefail
VARSONA_ROOT=$(cd "$(dirname "$0")/../.." && pwd)
source "$VARSONA_ROOT/scripts/setup.sh"
# The import reads each input from a file in a scratch folder, in memory
# where there is one.
TMPDIR=$(mktemp -d -p "$([ -d /dev/shm ] && echo /dev/shm || echo /tmp)")
export TMPDIR
trap 'rm -rf "$TMPDIR"' EXIT
varsona_fuzz_run grid_import_fuzz "$VARSONA_ROOT/fuzz/seeds/csv" 4096

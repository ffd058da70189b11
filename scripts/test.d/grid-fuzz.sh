#!/usr/bin/env bash
# Builds the grid's CSV fuzz targets with clang and the sanitizers in the
# shared fuzz build directory and runs each for a minute, seeded with the
# small CSV files of fuzz/seeds/csv: the splitter with separator detection,
# then the import into a cell store (no grid, no window). Any crash, leak,
# sanitizer report or broken invariant fails the run. $1 (the main build
# directory) is not used.
set -euo pipefail
VARSONA_ROOT=$(cd "$(dirname "$0")/../.." && pwd)
source "$VARSONA_ROOT/scripts/setup.sh"
BUILD=${VARSONA_FUZZ_BUILD_DIR:-$VARSONA_ROOT/build-fuzz}
SECONDS_TO_RUN=${VARSONA_FUZZ_SECONDS:-60}
varsona_fuzz_build "$BUILD" csv_fuzz
varsona_fuzz_build "$BUILD" grid_import_fuzz

# The import reads each input from a file in a scratch folder, in memory
# where there is one.
TMPDIR=$(mktemp -d -p "$([ -d /dev/shm ] && echo /dev/shm || echo /tmp)")
export TMPDIR
trap 'rm -rf "$TMPDIR"' EXIT

for target in csv_fuzz grid_import_fuzz; do
  # The seeds stay untouched; what a run finds goes to a scratch corpus.
  CORPUS="$BUILD/$target-corpus"
  ARTIFACTS="$BUILD/$target-artifacts"
  mkdir -p "$CORPUS" "$ARTIFACTS"
  "$BUILD/fuzz/$target" -max_total_time="$SECONDS_TO_RUN" -timeout=20 -rss_limit_mb=2560 \
    -max_len=4096 -print_final_stats=1 -artifact_prefix="$ARTIFACTS/" "$CORPUS" "$VARSONA_ROOT/fuzz/seeds/csv"
  echo "$target: no crash in ${SECONDS_TO_RUN} s"
done

#!/usr/bin/env bash
# Builds the Qt-free thread tests with clang and ThreadSanitizer in a build
# directory of its own and runs each VARSONA_TSAN_REPEAT times (a race shows
# only in some runs). Any failure or sanitizer report fails the run. $1 (the
# main build directory) is not used: the sanitizer build must not mix with it.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
VARSONA_ROOT=$ROOT
source "$ROOT/scripts/setup.sh"
BUILD=${VARSONA_TSAN_BUILD_DIR:-$ROOT/build-tsan}
REPEAT=${VARSONA_TSAN_REPEAT:-5}
varsona_tsan_build "$BUILD"

start=$SECONDS
count=0
while read -r test; do
  [ -n "$test" ] || continue
  echo "-- $(basename "$test") x $REPEAT"
  "$test" --gtest_brief=1 --gtest_repeat="$REPEAT"
  count=$((count + 1))
done <"$BUILD/tsan-tests.txt"
[ "$count" -gt 0 ] || { echo "tsan: no test executable listed" >&2; exit 1; }
echo "tsan: $count test executables clean in $((SECONDS - start)) s"

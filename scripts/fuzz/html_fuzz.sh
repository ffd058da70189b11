#!/usr/bin/env bash
# The grid's HTML cell text laid out in measuring mode on a bitmap's canvas,
# seeded with small cell texts. Any crash, leak or sanitizer report fails the
# run.
set -euo pipefail
VARSONA_ROOT=$(cd "$(dirname "$0")/../.." && pwd)
source "$VARSONA_ROOT/scripts/setup.sh"
export QT_QPA_PLATFORM=offscreen
# Qt's font database keeps patterns that fontconfig reports as lost.
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$VARSONA_ROOT/fuzz/html-fuzz.supp:print_suppressions=0}
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  XDG_RUNTIME_DIR=$(mktemp -d)
  export XDG_RUNTIME_DIR
fi
varsona_fuzz_run html_fuzz "$VARSONA_ROOT/fuzz/seeds/html" 4096

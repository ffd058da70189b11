#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test. Arguments
# go to CMake (-DVARSONA_WERROR=ON); VARSONA_BUILD_DIR and VARSONA_BUILD_TYPE
# choose the build.
set -euo pipefail
VARSONA_ROOT=$(cd "$(dirname "$0")/.." && pwd)
# The rooms' include lines first: a Qt header outside the platform fails at once.
bash "$VARSONA_ROOT/scripts/check-layers.sh" "$VARSONA_ROOT"
source "$VARSONA_ROOT/scripts/setup.sh"
varsona_install_packages
BUILD_DIR=${VARSONA_BUILD_DIR:-$VARSONA_ROOT/build}
varsona_build "$BUILD_DIR" "$@"
export QT_QPA_PLATFORM=offscreen
# Qt wants a private runtime folder; CI shells have none.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  XDG_RUNTIME_DIR=$(mktemp -d)
  export XDG_RUNTIME_DIR
fi
ctest --test-dir "$BUILD_DIR" --output-on-failure -j "$(nproc)" --timeout 600
for extra in "$VARSONA_ROOT"/scripts/test.d/*.sh; do
  [ -e "$extra" ] || continue
  echo "== $(basename "$extra")"
  bash "$extra" "$BUILD_DIR"
done

#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it.
set -euo pipefail
VARSONA_ROOT=$(cd "$(dirname "$0")/.." && pwd)
source "$VARSONA_ROOT/scripts/setup.sh"
varsona_install_packages
BUILD_DIR=${VARSONA_BUILD_DIR:-$VARSONA_ROOT/build}
varsona_build "$BUILD_DIR"
exec "$BUILD_DIR/designer/varsona" "$@"

#!/usr/bin/env bash
# Builds the barcode engine's fuzz target with clang and the sanitizers in a
# build directory of its own and runs it for a minute: random setter
# sequences, captions, add-ons and draws on a recording canvas at random
# positions, resolutions and map modes. Any crash, leak, sanitizer report or
# broken invariant fails the run. $1 (the main build directory) is not used:
# the sanitizer build must not mix with it.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=${VARSONA_ENGINE_FUZZ_BUILD_DIR:-$ROOT/build-fuzz-engine}
SECONDS_TO_RUN=${VARSONA_FUZZ_SECONDS:-60}
SAN="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined"

cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_C_FLAGS="$SAN" -DCMAKE_CXX_FLAGS="$SAN" \
  -DVARSONA_FUZZ=ON -DVARSONA_TESTS=OFF -DVARSONA_BENCH=OFF >/dev/null
cmake --build "$BUILD" --target engine_fuzz -j "${VARSONA_JOBS:-$(nproc)}"

# New inputs go to a scratch corpus; libFuzzer starts from nothing.
CORPUS="$BUILD/engine-fuzz-corpus"
ARTIFACTS="$BUILD/engine-fuzz-artifacts"
mkdir -p "$CORPUS" "$ARTIFACTS"

export QT_QPA_PLATFORM=offscreen
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  XDG_RUNTIME_DIR=$(mktemp -d)
  export XDG_RUNTIME_DIR
fi
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
"$BUILD/fuzz/engine_fuzz" -max_total_time="$SECONDS_TO_RUN" -timeout=20 -rss_limit_mb=2560 \
  -max_len=1024 -print_final_stats=1 -artifact_prefix="$ARTIFACTS/" "$CORPUS"
echo "engine-fuzz: no crash in ${SECONDS_TO_RUN} s"

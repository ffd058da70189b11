#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need, when
# they are missing. Sourced by run.sh and test.sh.
VARSONA_PACKAGES=(
  cmake ninja-build g++ clang libclang-rt-14-dev pkg-config
  qt6-base-dev libjpeg62-turbo-dev libgtest-dev libgmock-dev libbenchmark-dev
  fonts-liberation fonts-dejavu-core fonts-urw-base35
  zbar-tools zint poppler-utils imagemagick libmagickcore-6.q16-6-extra gifsicle giflib-tools libgif-dev python3-pil
  xvfb xauth openbox xdotool x11-utils
  cups printer-driver-cups-pdf
  emf2svg unrtf libfreexl-dev
)

varsona_missing_packages() {
  local missing=() p
  for p in "${VARSONA_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  echo "${missing[@]}"
}

varsona_install_packages() {
  local missing
  missing=$(varsona_missing_packages)
  [ -z "$missing" ] && return 0
  local apt=(env DEBIAN_FRONTEND=noninteractive apt-get)
  if [ "$(id -u)" -eq 0 ]; then
    "${apt[@]}" update -qq && "${apt[@]}" install -y -qq $missing
  elif command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
    sudo "${apt[@]}" update -qq && sudo "${apt[@]}" install -y -qq $missing
  else
    echo "Missing packages. Install them with:" >&2
    echo "  sudo apt-get install -y $missing" >&2
    return 1
  fi
}

# varsona_build DIR [CMAKE ARGS...]: configures (VARSONA_BUILD_TYPE, else
# RelWithDebInfo) and builds everything in DIR.
varsona_build() {
  local build_dir=$1
  shift
  cmake -S "$VARSONA_ROOT" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE="${VARSONA_BUILD_TYPE:-RelWithDebInfo}" "$@" >/dev/null
  cmake --build "$build_dir" -j "$(nproc)"
}

# Builds libFuzzer targets (one, or several in one word) with clang and the
# sanitizers in a build directory of its own (a sanitizer build must not mix with the main one), and
# sets the sanitizers to fail the run on any report. VARSONA_JOBS limits the
# build's jobs.
varsona_fuzz_build() {
  local build_dir=$1 target=$2
  local san="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined"
  # scripts/test.d/fuzz.sh builds every target once and runs them side by side.
  if [ "${VARSONA_FUZZ_PREBUILT:-}" != 1 ]; then
    cmake -S "$VARSONA_ROOT" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
      -DCMAKE_C_FLAGS="$san" -DCMAKE_CXX_FLAGS="$san" \
      -DVARSONA_FUZZ=ON -DVARSONA_TESTS=OFF -DVARSONA_BENCH=OFF >/dev/null
    # shellcheck disable=SC2086
    cmake --build "$build_dir" --target $target -j "${VARSONA_JOBS:-$(nproc)}"
  fi
  export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=1}
  export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
}

# varsona_fuzz_run TARGET SEEDS MAX_LEN [LIBFUZZER ARGS...]: builds one fuzz
# target (unless prebuilt) and runs it for VARSONA_FUZZ_SECONDS (60) from the
# seeds folder, left untouched; what it finds goes to a scratch corpus and a
# failing input to TARGET-artifacts in the fuzz build directory. Prints
# libFuzzer's final counts.
varsona_fuzz_run() {
  local target=$1 seeds=$2 max_len=$3
  shift 3
  local build=${VARSONA_FUZZ_BUILD_DIR:-$VARSONA_ROOT/build-fuzz}
  local seconds=${VARSONA_FUZZ_SECONDS:-60}
  varsona_fuzz_build "$build" "$target"
  mkdir -p "$build/$target-corpus" "$build/$target-artifacts"
  "$build/fuzz/$target" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2560 -max_len="$max_len" \
    -print_final_stats=1 -artifact_prefix="$build/$target-artifacts/" "$@" "$build/$target-corpus" "$seeds"
  echo "$target: no crash in $seconds s"
}

# varsona_gif_seeds DIR: every GIF of the test corpus (quirks/ and malformed/
# included) copied flat into DIR, made anew.
varsona_gif_seeds() {
  local dir=$1 fixtures="$VARSONA_ROOT/tests/gif/fixtures" f rel
  rm -rf "$dir"
  mkdir -p "$dir"
  for f in "$fixtures"/*.gif "$fixtures"/*/*.gif; do
    rel=${f#"$fixtures"/}
    cp "$f" "$dir/${rel//\//_}"
  done
}

# Builds the test executables named by varsona_tsan_test with clang and
# ThreadSanitizer in a build directory of its own (Qt is not built with the
# sanitizer, so nothing that links Qt is built there; the list of built tests
# is tsan-tests.txt in it), and sets the sanitizer to fail the run on any
# report. VARSONA_JOBS limits the build's jobs.
varsona_tsan_build() {
  local build_dir=$1
  cmake -S "$VARSONA_ROOT" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DVARSONA_TSAN=ON -DVARSONA_TESTS=ON -DVARSONA_BENCH=OFF >/dev/null
  cmake --build "$build_dir" --target tsan_tests -j "${VARSONA_JOBS:-$(nproc)}"
  export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1}
}

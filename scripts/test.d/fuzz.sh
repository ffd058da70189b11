#!/usr/bin/env bash
# Builds every fuzz target (one per script in scripts/fuzz/, named after it)
# once with clang and the sanitizers, then runs the scripts side by side, each
# on one core for VARSONA_FUZZ_SECONDS (60). Each script's output goes to a
# log that is printed when all are done, with its final counts; any crash,
# leak, sanitizer report or broken invariant fails the run. $1 (the main
# build directory) is not used: the sanitizer build must not mix with it.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
VARSONA_ROOT=$ROOT
source "$ROOT/scripts/setup.sh"
export VARSONA_FUZZ_BUILD_DIR=${VARSONA_FUZZ_BUILD_DIR:-$ROOT/build-fuzz}
scripts=("$ROOT"/scripts/fuzz/*.sh)
targets=()
for s in "${scripts[@]}"; do targets+=("$(basename "$s" .sh)"); done
varsona_fuzz_build "$VARSONA_FUZZ_BUILD_DIR" "${targets[*]}"

LOGS="$VARSONA_FUZZ_BUILD_DIR/fuzz-logs"
rm -rf "$LOGS"
mkdir -p "$LOGS"
export VARSONA_FUZZ_PREBUILT=1
pids=()
for i in "${!scripts[@]}"; do
  bash "${scripts[$i]}" >"$LOGS/${targets[$i]}.log" 2>&1 &
  pids+=($!)
done
failed=()
for i in "${!pids[@]}"; do
  wait "${pids[$i]}" || failed+=("${targets[$i]}")
done
for t in "${targets[@]}"; do
  echo "-- $t"
  if [[ " ${failed[*]} " == *" $t "* ]]; then
    tail -n 60 "$LOGS/$t.log"
  else
    grep -E '^(stat::number_of_executed_units|stat::average_exec_per_sec|stat::peak_rss_mb|[a-z_-]+: )' "$LOGS/$t.log" || true
  fi
done
if [ "${#failed[@]}" -gt 0 ]; then
  echo "fuzz: FAILED: ${failed[*]}" >&2
  exit 1
fi
echo "fuzz: ${#targets[@]} targets, no crash"

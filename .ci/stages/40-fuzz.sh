#!/usr/bin/env bash
# Each libFuzzer target for a bounded time (FUZZ_SECONDS, default 60) from
# its checked-in corpus. A crash, a failed check or an input slower than 10 s
# fails the stage; the input is written into the target's corpus folder as
# crash-*/timeout-*, to be committed as a regression case with the fix.
# New inputs found on the way go to a scratch folder, not into the repository.
# Locally: bash .ci/stages/40-fuzz.sh   (FUZZ_SECONDS=10 for a quick run)
set -euo pipefail
cd "$(dirname "$0")/../.."

cmake --preset fuzz
cmake --build --preset fuzz -j "$(nproc)"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
for target in LoadTableFuzzer CompareFuzzer Utf8KeysFuzzer FileReaderFuzzer UnweighedFuzzer; do
  binary="build/fuzz/fuzz/$target"
  corpus="fuzz/corpus/$target"
  echo "--- $target"
  mkdir -p "$scratch/$target"
  if ! "$binary" -max_total_time="${FUZZ_SECONDS:-60}" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$corpus/" "$scratch/$target" "$corpus"; then
    echo "$target failed; the input is in $corpus/ (see crash-*, timeout-*, oom-*)"
    exit 1
  fi
done

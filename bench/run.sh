#!/usr/bin/env bash
# Builds the benchmark (Release, in build-bench/), makes glibc's ur_PK.UTF-8
# locale when it is missing, and runs zabrelo, ICU and glibc side by side with
# repetitions; the ratio table comes last. Extra arguments go to the program,
# e.g. bench/run.sh --count=20000 or bench/run.sh --words=my-words.txt.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${ZABRELO_BENCH_BUILD:-$root/build-bench}"
repetitions="${ZABRELO_BENCH_REPETITIONS:-5}"

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DZABRELO_BENCH=ON \
  -DZABRELO_TESTS=OFF -DZABRELO_EXAMPLES=OFF >/dev/null
cmake --build "$build" --target zabrelo-bench -j 2 >/dev/null

source "$root/bench/ur-locale.sh" "$build"

exec "$build/bench/zabrelo-bench" --benchmark_repetitions="$repetitions" \
  --benchmark_report_aggregates_only=true "$@"

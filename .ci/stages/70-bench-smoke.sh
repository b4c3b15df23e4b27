#!/usr/bin/env bash
# The benchmark builds and runs end to end on a small input: the ratio table
# prints and Compare agrees with whole keys on the bench's own strings. The
# figures of so short a run mean nothing; bench/run.sh makes the real ones.
# (The tests of the bench's input run with the other tests.) Then the SQLite
# bench on a few rows, when SQLite is there.
set -euo pipefail
cd "$(dirname "$0")/../.."

mkdir -p build-ci-bench
ZABRELO_BENCH_BUILD="$PWD/build-ci-bench" ZABRELO_BENCH_REPETITIONS=1 \
  bash bench/run.sh --count=2000 --verify=2000 --benchmark_min_time=0.01 | tee build-ci-bench/smoke.log
grep -q '^key size' build-ci-bench/smoke.log
grep -q '^key of 10M units' build-ci-bench/smoke.log  # the row; a run this short proves no ratio
if command -v sqlite3 >/dev/null && [ -e /usr/include/sqlite3ext.h ]; then
  bash bench/sqlite-bench.sh 20000 1
fi

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

# glibc only knows locales that were generated; without ur_PK the bench
# still runs and leaves glibc out. A user who cannot write the system's
# locale archive gets a private copy under the build tree.
if ! locale -a 2>/dev/null | grep -qix 'ur_PK.utf8'; then
  if ! localedef -i ur_PK -f UTF-8 ur_PK.UTF-8 2>/dev/null; then
    mkdir -p "$build/locale"
    if localedef -i ur_PK -f UTF-8 "$build/locale/ur_PK.UTF-8" 2>/dev/null; then
      export LOCPATH="$build/locale"
    else
      echo "note: cannot generate ur_PK.UTF-8 (is the locales package installed?); glibc is skipped" >&2
    fi
  fi
fi

exec "$build/bench/zabrelo-bench" --benchmark_repetitions="$repetitions" \
  --benchmark_report_aggregates_only=true "$@"

#!/usr/bin/env bash
# Times `zabrelo sort` against `LC_ALL=ur_PK.UTF-8 sort` on the same
# generated input (default 1,000,000 lines of Urdu words and phrases), side
# by side in one run, and checks that zabrelo is at least 3 times faster.
#   bench/sort-bench.sh [LINES] [ZABRELO]
# Without ZABRELO it builds a Release tree in build-bench/.
set -euo pipefail
cd "$(dirname "$0")/.."
lines=${1:-1000000}
tool=${2:-}
if [ -z "$tool" ]; then
  cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DZABRELO_TESTS=OFF -DZABRELO_EXAMPLES=OFF >/dev/null
  cmake --build build-bench -j 2 --target zabrelo-tool >/dev/null
  tool=build-bench/zabrelo
fi
if ! locale -a | grep -qix 'ur_PK.utf-\?8'; then
  localedef -i ur_PK -f UTF-8 ur_PK.UTF-8
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
bench/phrases.sh "$lines" >"$work/input"

seconds() { local t0 t1; t0=$(date +%s.%N); "$@"; t1=$(date +%s.%N); echo "$t1 - $t0" | bc; }
z=$(seconds "$tool" sort --quiet -o "$work/z.out" "$work/input")
g=$(seconds env LC_ALL=ur_PK.UTF-8 sort -o "$work/g.out" "$work/input")
ratio=$(echo "scale=1; $g / $z" | bc)
printf 'lines: %s (%s bytes), cores: %s\n' "$lines" "$(wc -c <"$work/input")" "$(nproc)"
printf 'zabrelo sort:               %6.2f s\n' "$z"
printf 'LC_ALL=ur_PK.UTF-8 sort:    %6.2f s\n' "$g"
printf 'zabrelo is %sx faster\n' "$ratio"
[ "$(echo "$g >= 3 * $z" | bc)" = 1 ] || { echo "slower than required (3x)"; exit 1; }

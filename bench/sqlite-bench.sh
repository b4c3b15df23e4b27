#!/usr/bin/env bash
# Times `SELECT w FROM t ORDER BY w COLLATE URDU` against the same query in
# SQLite's own byte order (BINARY) on ROWS generated Urdu phrases (default
# 1,000,000, bench/phrases.sh), in the sqlite3 shell, RUNS times each
# (default 5), interleaved so that a busy moment hits both alike; URDU1 is
# timed beside them. Each query runs in one shell with its output sent to
# /dev/null, the table already in SQLite's page cache and the extension
# loaded. Prints the median times (wall clock, and the CPU time the shell
# reports, which a busy machine disturbs less) and, for a million rows or
# more, checks that URDU takes at most 2.5 times BINARY's time.
#   bench/sqlite-bench.sh [ROWS] [RUNS]
# Builds the extension in a Release tree, build-bench/ (cmake, g++,
# libsqlite3-dev and the sqlite3 shell needed).
set -euo pipefail
cd "$(dirname "$0")/.."
rows=${1:-1000000}
runs=${2:-5}

cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DZABRELO_TESTS=OFF -DZABRELO_EXAMPLES=OFF \
  -DZABRELO_TOOLS=OFF >/dev/null
cmake --build build-bench -j 2 --target zabrelo_sqlite >/dev/null
extension="$PWD/build-bench/libzabrelo_sqlite"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
bench/phrases.sh "$rows" >"$work/input"
sqlite3 "$work/t.db" <<SQL
CREATE TABLE t(w TEXT);
.mode list
.import $work/input t
SQL

queries=('ORDER BY w' 'ORDER BY w COLLATE URDU' 'ORDER BY w COLLATE URDU1')
for ((run = 1; run <= runs; run++)); do
  for i in 0 1 2; do
    # The shell's timer measures the statement alone; the first statement
    # reads the table into the page cache and loads the weight table.
    sqlite3 "$work/t.db" >"$work/timer" <<SQL
.load $extension
SELECT count(*), length(urdu_key(max(w))) > 0 FROM t;
.output /dev/null
.timer on
SELECT w FROM t ${queries[$i]};
SQL
    sed -n 's/^Run Time: real \([0-9.]*\) .*$/\1/p' "$work/timer" >>"$work/times$i"
    sed -n 's/^Run Time: real [0-9.]* user \([0-9.]*\) sys \([0-9.]*\)$/\1 + \2/p' "$work/timer" | bc >>"$work/cpu$i"
  done
done

median() { sort -g "$1" | awk '{ t[NR] = $1 } END { print (NR % 2) ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2 }'; }
binary=$(median "$work/times0")
urdu=$(median "$work/times1")
printf 'rows: %s, runs: %s, cores: %s, load average: %s, SQLite %s\n' "$rows" "$runs" "$(nproc)" \
  "$(cut -d' ' -f1-3 /proc/loadavg)" "$(sqlite3 --version | cut -d' ' -f1)"
for i in 0 1 2; do
  printf '%-26s median %6.3f s (CPU %6.3f s)   runs: %s\n' "${queries[$i]}" "$(median "$work/times$i")" \
    "$(median "$work/cpu$i")" "$(awk '{ printf "%s%.3f", (NR == 1 ? "" : " "), $1 }' "$work/times$i")"
done
# Each round's own ratio too: the two queries of a round ran close together.
paste "$work/times1" "$work/times0" | awk '{ printf "%.3f\n", $1 / $2 }' >"$work/ratios"
printf 'URDU / BINARY: %.2fx (CPU time: %.2fx; median of the rounds: %.2fx, rounds: %s)\n' \
  "$(echo "$urdu / $binary" | bc -l)" "$(echo "$(median "$work/cpu1") / $(median "$work/cpu0")" | bc -l)" \
  "$(median "$work/ratios")" "$(paste -sd' ' "$work/ratios")"
if [ "$rows" -ge 1000000 ]; then
  [ "$(echo "$urdu <= 2.5 * $binary" | bc)" = 1 ] || { echo "COLLATE URDU takes more than 2.5 times BINARY's time"; exit 1; }
fi

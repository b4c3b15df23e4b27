#!/usr/bin/env bash
# Times three sorts of the same ROWS generated Urdu phrases (default
# 1,000,000) in one throwaway PostgreSQL cluster, RUNS times each (default
# 5), interleaved so that a busy moment hits all three alike:
#   ORDER BY w COLLATE "ur-x-icu"   ICU's Urdu collation
#   ORDER BY zabrelo_key(w)         a key per row, then bytes compared
#   ORDER BY w COLLATE "C"          plain bytes: the floor
# Each is EXPLAIN (ANALYZE, TIMING OFF): the executor's own time, rows not
# sent anywhere. The sort fits in memory (work_mem) and runs in one process
# (no parallel workers, no JIT). Prints the median times and checks that
# zabrelo is at least 1.9 times faster than ICU.
#   bench/postgres-bench.sh [ROWS] [RUNS]
# Builds and installs the extension first (make -C postgres install), so it
# needs PostgreSQL 15's server and postgresql-server-dev-15, and root or a
# writable PostgreSQL install.
set -euo pipefail
cd "$(dirname "$0")/.."
rows=${1:-1000000}
runs=${2:-5}

make -s -C postgres >/dev/null
make -s -C postgres install >/dev/null
source postgres/test/cluster.sh

work=$(mktemp -d)
trap 'cluster_stop; rm -rf "$work"' EXIT
cluster_start "$work" work_mem=2GB shared_buffers=1GB max_parallel_workers_per_gather=0 jit=off
bench/phrases.sh "$rows" >"$work/input"

psql -X -q -v ON_ERROR_STOP=1 >/dev/null <<SQL
CREATE EXTENSION zabrelo;
CREATE TABLE words (w text);
\copy words FROM '$work/input'
VACUUM ANALYZE words;
SELECT count(*) FROM words;           -- into shared buffers
SELECT zabrelo_key('ا') IS NOT NULL;  -- the table loaded
SQL

queries=('ORDER BY w COLLATE "ur-x-icu"' 'ORDER BY zabrelo_key(w)' 'ORDER BY w COLLATE "C"')
for ((run = 1; run <= runs; run++)); do
  for i in 0 1 2; do
    plan=$(psql -X -At -v ON_ERROR_STOP=1 -c "EXPLAIN (ANALYZE, TIMING OFF) SELECT w FROM words ${queries[$i]}")
    grep -q 'Sort Method: quicksort' <<<"$plan" || { echo "not sorted in memory:"; echo "$plan"; exit 1; }
    sed -n 's/^Execution Time: \([0-9.]*\) ms$/\1/p' <<<"$plan" >>"$work/times$i"
  done
done

median() { sort -g "$1" | awk '{ t[NR] = $1 } END { print (NR % 2) ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2 }'; }
icu=$(median "$work/times0")
zab=$(median "$work/times1")
c=$(median "$work/times2")
printf 'rows: %s, runs: %s, cores: %s, load average: %s\n' "$rows" "$runs" "$(nproc)" "$(cut -d' ' -f1-3 /proc/loadavg)"
for i in 0 1 2; do
  printf '%-32s median %7.0f ms   runs: %s\n' "${queries[$i]}" "$(median "$work/times$i")" \
    "$(awk '{ printf "%s%.0f", (NR == 1 ? "" : " "), $1 }' "$work/times$i")"
done
printf 'ICU / zabrelo: %.2fx    zabrelo / C: %.2fx\n' "$(echo "$icu / $zab" | bc -l)" "$(echo "$zab / $c" | bc -l)"
[ "$(echo "$icu >= 1.9 * $zab" | bc)" = 1 ] || { echo "zabrelo_key is less than 1.9 times faster than ICU"; exit 1; }

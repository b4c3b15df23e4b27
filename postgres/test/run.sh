#!/usr/bin/env bash
# The extension's regression tests in a throwaway PostgreSQL cluster: builds
# and installs the extension (warnings as errors), makes the reference keys
# with the zabrelo command (in each order), starts a cluster in a temporary folder, runs
# `make installcheck` (pg_regress over test/sql against test/expected), and
# stops and removes the cluster on every path.
#   postgres/test/run.sh
# ZABRELO_TOOL=PATH reuses a built zabrelo command instead of building one in
# build-postgres/. Needs postgresql-15 and postgresql-server-dev-15, and root
# or a writable PostgreSQL install for `make install`.
set -euo pipefail
cd "$(dirname "$0")/../.."

make -C postgres ZABRELO_WERROR=1
make -C postgres install
tool=${ZABRELO_TOOL:-}
if [ -z "$tool" ]; then
  cmake -S . -B build-postgres -DZABRELO_TESTS=OFF -DZABRELO_EXAMPLES=OFF >/dev/null
  cmake --build build-postgres -j 2 --target zabrelo-tool >/dev/null
  tool=build-postgres/zabrelo
fi

source postgres/test/cluster.sh
work=$(mktemp -d)
trap 'cluster_stop; rm -rf "$work"' EXIT
cluster_start "$work"

# The tests name their files relative to the data directory, where the
# server (the postgres user in CI) can read them and COPY and zabrelo.table
# resolve relative paths, so the expected output holds no temporary path.
files=$work/data/zabrelo-test
mkdir "$files"
cp tests/data/urdu-ordered.txt postgres/test/data/mixed-scripts.txt examples/example-table.txt "$files/"
# One line a text: its keys in the full, classic and natural orders, by tabs.
for list in urdu-ordered mixed-scripts; do
  paste <("$tool" key --table data/UrduCOdepage.txt <"$files/$list.txt") \
    <("$tool" key --classic --table data/UrduCOdepage.txt <"$files/$list.txt") \
    <("$tool" key --natural --table data/UrduCOdepage.txt <"$files/$list.txt") >"$files/$list.keys"
done
: >"$files/empty-table.txt"
mkfifo "$files/fifo"
cp examples/example-table.txt "$files/unreadable-table.txt"
[ "$(id -u)" = 0 ] && chown -R postgres: "$files"
chmod 000 "$files/unreadable-table.txt"

make -C postgres installcheck || {
  cat postgres/test/regression.diffs 2>/dev/null || true
  exit 1
}

# A long load and a long key stop at statement_timeout, within a second of
# the statement's start, and the server answers afterwards. The table is a
# long list of pairs of one letter (63 MB, over a second to load); the text
# is 300 million letters.
awk 'BEGIN { print "FA="; for (i = 0; i < 3300000; i++) print "[0628,0627][1,2,3]" }' \
  >"$work/data/zabrelo-test/long-table.txt"
[ "$(id -u)" = 0 ] && chown postgres: "$work/data/zabrelo-test/long-table.txt"
psql -X -q -c 'CREATE EXTENSION IF NOT EXISTS zabrelo'
long_key="SELECT length(zabrelo_key(repeat(repeat('ب', 10000), 30000)))"
stops_in_time() {
  local what=$1 sql=$2 start elapsed out
  start=$(date +%s%N)
  out=$(PGOPTIONS='-c statement_timeout=300ms' psql -X -c "$sql" 2>&1 || true)
  elapsed=$(( ($(date +%s%N) - start) / 1000000 ))
  echo "$what: stopped after $elapsed ms"
  grep -q 'canceling statement due to statement timeout' <<<"$out" || { echo "$what: not stopped: $out"; exit 1; }
  [ "$elapsed" -lt 1000 ] || { echo "$what: took $elapsed ms, not stopped within a second"; exit 1; }
  [ "$(psql -X -A -t -c 'SELECT 1')" = 1 ] || { echo "$what: the server does not answer afterwards"; exit 1; }
}
stops_in_time "a long load" "SET zabrelo.\"table\" = 'zabrelo-test/long-table.txt'; SELECT zabrelo_key('ب');"
stops_in_time "a long key" "$long_key"

# A cancel sent once the text is made, well into its key (which runs for
# many seconds), ends it as promptly.
key_start=$(date +%s%N)
psql -X -c "$long_key" >"$work/cancelled.out" 2>&1 &
key_client=$!
sleep 3
cancel_sent=$(date +%s%N)
psql -X -q -A -t -c "SELECT pg_cancel_backend(pid) FROM pg_stat_activity
  WHERE query LIKE 'SELECT length(zabrelo_key(%' AND pid <> pg_backend_pid()" >/dev/null
wait "$key_client" || true
cancel_done=$(date +%s%N)
echo "a cancelled key: ended $(( (cancel_done - cancel_sent) / 1000000 )) ms after the cancel," \
  "$(( (cancel_done - key_start) / 1000000 )) ms after it began"
grep -q 'canceling statement due to user request' "$work/cancelled.out" ||
  { echo "the key was not cancelled: $(cat "$work/cancelled.out")"; exit 1; }
[ $(( (cancel_done - cancel_sent) / 1000000 )) -lt 1000 ] || { echo "the cancel took more than a second"; exit 1; }
[ "$(psql -X -A -t -c 'SELECT 1')" = 1 ] || { echo "the server does not answer after the cancel"; exit 1; }

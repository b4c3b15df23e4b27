#!/usr/bin/env bash
# The extension's regression tests in a throwaway PostgreSQL cluster: builds
# and installs the extension (warnings as errors), makes the reference keys
# with the zabrelo command, starts a cluster in a temporary folder, runs
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
for list in urdu-ordered mixed-scripts; do
  "$tool" key --table data/UrduCOdepage.txt <"$files/$list.txt" >"$files/$list.keys"
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

#!/usr/bin/env bash
# The extension in the sqlite3 shell, as a user types it: `.load` without a
# suffix or an entry point, ORDER BY ... COLLATE URDU on the word list, an
# index in URDU order, a table that cannot be loaded; then an install moved
# to another place, which finds the table installed with it.
#   shell.sh SQLITE3 EXTENSION SOURCE_DIR BUILD_DIR CMAKE LIBDIR
# EXTENSION is the built module's path without its suffix.
set -euo pipefail
sqlite=$1 extension=$2 source=$3 build=$4 cmake=$5 libdir=$6
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
unset ZABRELO_TABLE
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

# The README's use: .load, then ORDER BY ... COLLATE URDU.
shuf --random-source=<(yes) "$source/tests/data/urdu-ordered.txt" >"$work/shuffled.txt"
"$sqlite" "$work/words.db" <<SQL
CREATE TABLE words(w TEXT);
.mode list
.import $work/shuffled.txt words
SQL
"$sqlite" "$work/words.db" >"$work/sorted.txt" <<SQL
.load $extension
SELECT w FROM words ORDER BY w COLLATE URDU;
SQL
cmp -s "$work/sorted.txt" "$source/tests/data/urdu-ordered.txt" || fail "ORDER BY w COLLATE URDU is not the word list's order"

plan=$("$sqlite" "$work/words.db" <<SQL
.load $extension
CREATE INDEX byUrdu ON words(w COLLATE URDU);
EXPLAIN QUERY PLAN SELECT w FROM words ORDER BY w COLLATE URDU LIMIT 3;
SQL
)
grep -q 'USING COVERING INDEX byUrdu' <<<"$plan" && ! grep -q 'TEMP B-TREE' <<<"$plan" ||
  fail "the index does not serve ORDER BY: $plan"
# A new connection that has not loaded the extension cannot use the index.
if "$sqlite" "$work/words.db" 'SELECT w FROM words ORDER BY w COLLATE URDU LIMIT 1' >"$work/out" 2>&1; then
  fail "a connection without the extension used the URDU index"
fi
grep -q 'no such collation sequence: URDU' "$work/out" || fail "unexpected message: $(cat "$work/out")"

# A table that cannot be loaded: the load fails, with the reason.
if ZABRELO_TABLE="$work/missing.txt" "$sqlite" :memory: ".load $extension" >"$work/out" 2>&1; then
  fail "a missing table loaded"
fi
expected="Error: error during initialization: zabrelo_sqlite: cannot load the weight table: $work/missing.txt: No such file or directory"
[ "$(cat "$work/out")" = "$expected" ] || fail "missing table: $(cat "$work/out")"

# Installed, then moved: the table installed with the module is found from
# the module's own place.
"$cmake" --install "$build" --prefix "$work/prefix" >/dev/null
mv "$work/prefix" "$work/moved"
key=$("$sqlite" :memory: ".load $work/moved/$libdir/libzabrelo_sqlite" "SELECT hex(urdu_key('ب'))")
[ "$key" = 630505 ] || fail "the moved install's key of ب is '$key'"
rm "$work/moved/share/zabrelo/UrduCOdepage.txt"
if "$sqlite" :memory: ".load $work/moved/$libdir/libzabrelo_sqlite" >"$work/out" 2>&1; then
  fail "loaded without a table"
fi
grep -q "no default weight table: neither $work/moved/.*/UrduCOdepage.txt nor" "$work/out" ||
  fail "no table: $(cat "$work/out")"

[ "$failures" = 0 ] || exit 1
echo "all shell checks passed"

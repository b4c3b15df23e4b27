#!/usr/bin/env bash
# The README's test command, with warnings as errors, in a build tree of its own;
# then a check that the shared library exports nothing but the public classes
# and the C interface, and the SQLite extension nothing but its entry points.
set -euo pipefail
cd "$(dirname "$0")/../.."

cmake -S . -B build-ci -DZABRELO_WERROR=ON
cmake --build build-ci -j "$(nproc)"
ctest --test-dir build-ci --output-on-failure -j "$(nproc)"

# The C functions are exactly those zabrelo.h declares: none missing, none more.
declared=$(grep -o 'ZABRELO_CALL zabrelo_[a-z0-9_]*' include/zabrelo/zabrelo.h | sed 's/^ZABRELO_CALL //' | sort)
symbols=$(nm -D -C --defined-only build-ci/libzabrelo.so | awk '{ $1=""; $2=""; sub(/^ +/, ""); print }')
exported=$(grep -v -E '^(ZabreloLib|VantorException|IOException|FileReader)::|^typeinfo( name)? for (VantorException|IOException)$' \
  <<<"$symbols" | sort || true)
if [ "$exported" != "$declared" ]; then
  echo "libzabrelo.so should export the public classes and the C functions of zabrelo.h, and nothing else:"
  diff <(echo "$declared") <(echo "$exported") || true
  exit 1
fi

# The SQLite extension, built when libsqlite3-dev is there: the entry points
# SQLite looks up, nothing of the core it carries.
if [ -e build-ci/libzabrelo_sqlite.so ]; then
  exported=$(nm -D --defined-only build-ci/libzabrelo_sqlite.so | awk '{ print $3 }' | sort)
  if [ "$exported" != "$(printf '%s\n' sqlite3_extension_init sqlite3_zabrelosqlite_init)" ]; then
    echo "libzabrelo_sqlite.so should export its two entry points and nothing else:"
    echo "$exported"
    exit 1
  fi
fi

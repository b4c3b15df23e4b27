#!/usr/bin/env bash
# The PostgreSQL extension: built with warnings as errors and installed,
# then its regression tests in a throwaway cluster that the script starts
# and stops itself (postgres/test/run.sh), with the keys of the zabrelo
# command as reference. Then a check that the module exports only what
# PostgreSQL looks up.
set -euo pipefail
cd "$(dirname "$0")/../.."

bash postgres/test/run.sh

unexpected=$(nm -D --defined-only postgres/zabrelo.so | awk '{ print $3 }' |
  grep -v -x -E 'Pg_magic_func|_PG_init|pg_finfo_zabrelo_key|zabrelo_key' || true)
if [ -n "$unexpected" ]; then
  echo "zabrelo.so exports more than PostgreSQL needs:"
  echo "$unexpected"
  exit 1
fi

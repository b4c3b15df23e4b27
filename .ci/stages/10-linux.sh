#!/usr/bin/env bash
# The README's test command, with warnings as errors, in a build tree of its own;
# then a check that the shared library exports nothing but the public classes.
set -euo pipefail
cd "$(dirname "$0")/../.."

cmake -S . -B build-ci -DZABRELO_WERROR=ON
cmake --build build-ci -j "$(nproc)"
ctest --test-dir build-ci --output-on-failure -j "$(nproc)"

unexpected=$(nm -D -C --defined-only build-ci/libzabrelo.so |
  awk '{ $1=""; $2=""; print }' |
  grep -v -E '^ *(ZabreloLib|VantorException|IOException|FileReader)::|typeinfo( name)? for (VantorException|IOException)$' || true)
if [ -n "$unexpected" ]; then
  echo "libzabrelo.so exports more than the public classes:"
  echo "$unexpected"
  exit 1
fi

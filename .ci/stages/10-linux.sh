#!/usr/bin/env bash
# The README's test command, with warnings as errors, in a build tree of its own;
# then a check that the shared library exports nothing but the public classes
# and the C interface.
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

#!/usr/bin/env bash
# The 32-bit Windows build: cross-compiles zabrelo.dll with MinGW-w64 and runs
# the whole suite under Wine (docs/windows.md), in a Wine prefix of its own
# inside the build tree; then checks the DLL exports only the public classes
# and the C interface.
set -euo pipefail
cd "$(dirname "$0")/../.."

export WINEPREFIX="$PWD/build/windows-i686/wineprefix"
export WINEDEBUG=-all
# A wineserver left from an earlier run may serve a prefix since deleted.
wineserver -k 2>/dev/null || true
cmake --workflow --preset windows-i686
wineserver -k 2>/dev/null || true

dll=build/windows-i686/bin/zabrelo.dll
declared=$(grep -o 'ZABRELO_CALL zabrelo_[a-z0-9_]*' include/zabrelo/zabrelo.h | sed 's/^ZABRELO_CALL //' | sort)
exported=$(i686-w64-mingw32-objdump -p "$dll" |
  sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | sed 1d |
  sed 's/^[[:space:]]*\[[[:space:]]*[0-9]*\][[:space:]]*//' | c++filt |
  grep -v -E '^(ZabreloLib|VantorException|IOException|FileReader)::|^$' | sort || true)
if [ "$exported" != "$declared" ]; then
  echo "zabrelo.dll should export the public classes and the C functions of zabrelo.h, and nothing else:"
  diff <(echo "$declared") <(echo "$exported") || true
  exit 1
fi

#!/usr/bin/env bash
# The test programs under valgrind memcheck, in a plain (uninstrumented)
# build: the GoogleTest suite, the C client of the shared library, and, when
# SQLite's headers are there, the SQLite extension's tests, which load it
# into SQLite. Any memory error or leak fails the stage.
# Locally: bash .ci/stages/50-valgrind.sh
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD

cmake -S . -B build-valgrind -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZABRELO_WERROR=ON \
  -DZABRELO_TOOLS=OFF -DZABRELO_EXAMPLES=OFF
targets=(zabrelo_tests zabrelo_c_tests)
if cmake --build build-valgrind --target help | grep zabrelo_sqlite_tests >/dev/null; then
  targets+=(zabrelo_sqlite zabrelo_sqlite_tests)
fi
cmake --build build-valgrind -j "$(nproc)" --target "${targets[@]}"
memcheck=(valgrind --error-exitcode=99 --leak-check=full --show-leak-kinds=definite,indirect,possible
  --errors-for-leak-kinds=definite,indirect,possible --track-origins=yes -q)
(cd build-valgrind/tests && "${memcheck[@]}" ./zabrelo_tests --gtest_brief=1)
(cd build-valgrind/tests/c && "${memcheck[@]}" ./zabrelo_c_tests "$root/tests/data")
if [ -x build-valgrind/sqlite/tests/zabrelo_sqlite_tests ]; then
  (cd build-valgrind/sqlite/tests && "${memcheck[@]}" ./zabrelo_sqlite_tests --gtest_brief=1)
fi

#!/usr/bin/env bash
# The test programs under valgrind memcheck, in a plain (uninstrumented)
# build: the GoogleTest suite, and the C client of the shared library. Any
# memory error or leak fails the stage.
# Locally: bash .ci/stages/50-valgrind.sh
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD

cmake -S . -B build-valgrind -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZABRELO_WERROR=ON \
  -DZABRELO_TOOLS=OFF -DZABRELO_EXAMPLES=OFF
cmake --build build-valgrind -j "$(nproc)" --target zabrelo_tests zabrelo_c_tests
memcheck=(valgrind --error-exitcode=99 --leak-check=full --show-leak-kinds=definite,indirect,possible
  --errors-for-leak-kinds=definite,indirect,possible --track-origins=yes -q)
(cd build-valgrind/tests && "${memcheck[@]}" ./zabrelo_tests --gtest_brief=1)
(cd build-valgrind/tests/c && "${memcheck[@]}" ./zabrelo_c_tests "$root/tests/data")

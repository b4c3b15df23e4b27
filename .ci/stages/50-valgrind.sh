#!/usr/bin/env bash
# The test program under valgrind memcheck, in a plain (uninstrumented) build:
# any memory error or leak fails the stage.
# Locally: bash .ci/stages/50-valgrind.sh
set -euo pipefail
cd "$(dirname "$0")/../.."

cmake -S . -B build-valgrind -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZABRELO_WERROR=ON \
  -DZABRELO_TOOLS=OFF -DZABRELO_EXAMPLES=OFF
cmake --build build-valgrind -j "$(nproc)" --target zabrelo_tests
# The tests load the default table from their own folder.
cd build-valgrind/tests
valgrind --error-exitcode=99 --leak-check=full --show-leak-kinds=definite,indirect,possible \
  --errors-for-leak-kinds=definite,indirect,possible --track-origins=yes -q \
  ./zabrelo_tests --gtest_brief=1

#!/usr/bin/env bash
# A plain build on a machine without GoogleTest: the library, the command and
# the extensions build with warnings as errors, and the tests that need no
# GoogleTest (the command's, the C interface's, the install round trip) pass.
set -euo pipefail
cd "$(dirname "$0")/../.."

cmake -S . -B build-ci-without-gtest -DZABRELO_WERROR=ON -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON
cmake --build build-ci-without-gtest -j "$(nproc)"
test -x build-ci-without-gtest/zabrelo
ctest --test-dir build-ci-without-gtest --output-on-failure -j "$(nproc)"

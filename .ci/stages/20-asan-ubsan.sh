#!/usr/bin/env bash
# The whole test suite under AddressSanitizer and UndefinedBehaviorSanitizer
# (leaks included); the build aborts on the first finding, so any finding fails.
# Locally: cmake --workflow --preset asan-ubsan
set -euo pipefail
cd "$(dirname "$0")/../.."

cmake --preset asan-ubsan
cmake --build --preset asan-ubsan -j "$(nproc)"
ctest --preset asan-ubsan -j "$(nproc)"

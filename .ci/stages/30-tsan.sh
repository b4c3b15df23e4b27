#!/usr/bin/env bash
# The whole test suite under ThreadSanitizer; the concurrency tests run
# objects on several threads at once.
# Locally: cmake --workflow --preset tsan
set -euo pipefail
cd "$(dirname "$0")/../.."

cmake --preset tsan
cmake --build --preset tsan -j "$(nproc)"
# The sanitizer's memory layout needs ASLR of at most 28 bits; on kernels
# that randomise more, run the tests without address randomisation.
run=()
if [ "$(cat /proc/sys/vm/mmap_rnd_bits 2>/dev/null || echo 28)" -gt 28 ] && setarch "$(uname -m)" -R true 2>/dev/null; then
  run=(setarch "$(uname -m)" -R)
fi
"${run[@]}" ctest --preset tsan -j "$(nproc)"

#!/usr/bin/env bash
# The JavaScript package: the core built for WebAssembly with Debian's
# emscripten (warnings are errors), then its tests with the zabrelo command
# as the reference: keys on the word lists (the real one included), sort,
# hostile input, the packed tarball installed offline into an empty
# project, and the playground in headless Chromium from a server on
# 127.0.0.1. Every test must run here; none may skip. Then a short run of
# the benchmark, so that it keeps working.
set -euo pipefail
cd "$(dirname "$0")/../.."

build=build-ci-js
cmake -S . -B "$build" -DZABRELO_WERROR=ON -DZABRELO_TESTS=OFF -DZABRELO_EXAMPLES=OFF >/dev/null
cmake --build "$build" --target zabrelo-tool -j 2

ZABRELO_WASM_BUILD="$PWD/build-ci-wasm" npm --prefix js run build -- -DZABRELO_WERROR=ON >/dev/null
real_words=$(ZABRELO_BENCH_BUILD="$PWD/$build" bench/real-words.sh)
ZABRELO_TEST_ALL=1 ZABRELO_TOOL="$PWD/$build/zabrelo" ZABRELO_REAL_WORDS="$real_words" CHROMIUM=chromium \
  npm --prefix js test
node bench/js-bench.mjs --count=20000 --repeat=1

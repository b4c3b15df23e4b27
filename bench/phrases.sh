#!/usr/bin/env bash
# Prints LINES real-looking Urdu phrases (default 1,000,000): one to three
# words drawn from the bundled word lists, with a fixed seed so that every
# run, and every benchmark, gets the same input.
#   bench/phrases.sh [LINES] > FILE
set -euo pipefail
cd "$(dirname "$0")/.."
lines=${1:-1000000}
cat tests/data/urdu-ordered.txt data/sample.txt | grep -v '^$' |
  awk -v n="$lines" 'BEGIN { srand(1) } { w[NR] = $0 } END {
    for (i = 0; i < n; i++) {
      k = 1 + int(rand() * 3); line = w[1 + int(rand() * NR)]
      for (j = 1; j < k; j++) line = line " " w[1 + int(rand() * NR)]
      print line
    } }'

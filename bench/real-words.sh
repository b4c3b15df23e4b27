#!/usr/bin/env bash
# Writes a list of real Urdu words for the benchmark and prints its path:
# every surface form of the Urdu morphological analyser that Debian ships in
# the package apertium-urd (about 55,000 words). The package is GPL-3 data, so
# the list is not kept in this repository; it is made here, from the package
# fetched with apt-get (no root needed), into the bench build folder.
#   bench/run.sh --words="$(bench/real-words.sh)"
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${ZABRELO_BENCH_BUILD:-$root/build-bench}"
work="$build/real-words"
words="$work/apertium-urd-words.txt"

if [ ! -s "$words" ]; then
  rm -rf "$work"
  mkdir -p "$work/package"
  # apt-get downloads into the current directory; _apt may not be able to
  # write there, in which case apt warns and downloads as the caller.
  (cd "$work" && apt-get download apertium-urd >&2)
  dpkg-deb -x "$work"/apertium-urd_*.deb "$work/package"
  att="$(find "$work/package" -name 'urd.automorf.att.gz' | head -n 1)"
  if [ -z "$att" ]; then
    echo "real-words.sh: the package holds no urd.automorf.att.gz" >&2
    exit 1
  fi
  /usr/bin/python3 "$root/bench/att_words.py" "$att" > "$words.tmp"
  mv "$words.tmp" "$words"
fi
echo "$words"

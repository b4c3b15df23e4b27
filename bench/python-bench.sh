#!/usr/bin/env bash
# The Python package against PyICU and locale.strxfrm (ur_PK.UTF-8) on LINES
# generated Urdu phrases (default 1,000,000), ROUNDS rounds (default 3):
#   bench/python-bench.sh [LINES] [ROUNDS]
# Installs the package with pip into a venv of Debian's python3 that sees
# Debian's PyICU (python3-icu), in build-python-bench/, makes the phrases
# with bench/phrases.sh and the locale when it is missing, and runs
# bench/python_bench.py, which prints the times and the targets' verdict.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${ZABRELO_PYTHON_BENCH_BUILD:-$root/build-python-bench}"
lines=${1:-1000000}
rounds=${2:-3}
cd "$root"

mkdir -p "$build"
[ -x "$build/venv/bin/python3" ] || /usr/bin/python3 -m venv --system-site-packages "$build/venv"
source "$build/venv/bin/activate"
python3 -m pip install -q --no-build-isolation ./python
source bench/ur-locale.sh "$build"
bench/phrases.sh "$lines" >"$build/phrases.txt"
cd "$build"  # away from the checkout's python/ folder
exec python3 "$root/bench/python_bench.py" "$build/phrases.txt" "$rounds"

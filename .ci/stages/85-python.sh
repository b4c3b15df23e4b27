#!/usr/bin/env bash
# The Python package, installed the way the README says, with pip from the
# checkout, into a venv of Debian's python3 that sees Debian's pytest,
# pandas and Dask; then its tests, with the zabrelo command as the
# reference for keys and for the Dask example's output. A second venv sees
# nothing but pip and setuptools (no `wheel`), as a fresh interpreter does:
# the install must work there too. Warnings are errors in both builds.
set -euo pipefail
cd "$(dirname "$0")/../.."

build=build-ci-python
cmake -S . -B "$build" -DZABRELO_WERROR=ON -DZABRELO_TESTS=OFF -DZABRELO_EXAMPLES=OFF >/dev/null
cmake --build "$build" --target zabrelo-tool -j 2
rm -rf "$build/venv" "$build/venv-bare" python/build
export CFLAGS=-Werror PIP_NO_INDEX=1

/usr/bin/python3 -m venv --system-site-packages "$build/venv"
(
  source "$build/venv/bin/activate"
  python3 -m pip install --no-build-isolation ./python
  ZABRELO_TOOL="$PWD/$build/zabrelo" python3 -m pytest -p no:cacheprovider -q python/tests
)

/usr/bin/python3 -m venv "$build/venv-bare"
(
  source "$build/venv-bare/bin/activate"
  python3 -m pip install --no-build-isolation ./python
  cd "$build"  # away from the checkout's python/ folder
  python3 -c 'import zabrelo; assert zabrelo.sorted(["ب", "ا"]) == ["ا", "ب"], "bare install"'
)

# The module exports its entry point and nothing else.
so=$(find "$build/venv/lib" -name '_zabrelo*.so')
unexpected=$(nm -D --defined-only "$so" | awk '{ print $3 }' | grep -v -x 'PyInit__zabrelo' || true)
if [ -n "$unexpected" ]; then
  echo "_zabrelo exports more than its entry point:"
  echo "$unexpected"
  exit 1
fi

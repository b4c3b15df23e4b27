#!/usr/bin/env bash
# The Python package, installed the way docs/python.md says, with pip from
# the checkout, into a venv of Debian's python3 that sees Debian's
# setuptools, wheel, pytest, pandas and Dask; then its tests, with the
# zabrelo command as the reference for keys and for the Dask example's
# output. Then its sdist, made with Debian's python3-build, installed
# offline into another venv from a folder away from the checkout: it must
# carry all it builds from. Warnings are errors in both builds.
set -euo pipefail
cd "$(dirname "$0")/../.."

build=build-ci-python
cmake -S . -B "$build" -DZABRELO_WERROR=ON -DZABRELO_TESTS=OFF -DZABRELO_EXAMPLES=OFF >/dev/null
cmake --build "$build" --target zabrelo-tool -j 2
rm -rf "$build/venv" "$build/venv-sdist" "$build/dist" python/build python/dist python/*.egg-info
export CFLAGS=-Werror PIP_NO_INDEX=1

/usr/bin/python3 -m venv --system-site-packages "$build/venv"
(
  source "$build/venv/bin/activate"
  python3 -m pip install --no-build-isolation ./python
  ZABRELO_TOOL="$PWD/$build/zabrelo" python3 -m pytest -p no:cacheprovider -q python/tests
)

# The sdist, unpacked and built where no checkout is around it.
(cd python && /usr/bin/python3 -m build --sdist --no-isolation --outdir "../$build/dist")
away=$(mktemp -d)
trap 'rm -rf "$away"' EXIT
cp "$build"/dist/zabrelo-*.tar.gz "$away/"
/usr/bin/python3 -m venv --system-site-packages "$build/venv-sdist"
(
  source "$build/venv-sdist/bin/activate"
  cd "$away"
  python3 -m pip install --no-build-isolation zabrelo-*.tar.gz
  python3 -c 'import zabrelo; assert zabrelo.sorted(["ب", "ا"]) == ["ا", "ب"], "sdist install"'
)

# The module exports its entry point and nothing else.
for so in $(find "$build/venv/lib" "$build/venv-sdist/lib" -name '_zabrelo*.so'); do
  unexpected=$(nm -D --defined-only "$so" | awk '{ print $3 }' | grep -v -x 'PyInit__zabrelo' || true)
  if [ -n "$unexpected" ]; then
    echo "$so exports more than its entry point:"
    echo "$unexpected"
    exit 1
  fi
done

"""Shared fixtures: the project's word lists, the zabrelo command built by
CMake (the reference for keys and for the Dask example's output), and a
collator on the bundled table. Run with the package installed:
    python3 -m pytest python/tests
"""
import os
import pathlib
import subprocess

import pytest
import zabrelo

ROOT = pathlib.Path(__file__).resolve().parents[2]
ORDERED = ROOT / "tests" / "data" / "urdu-ordered.txt"
LEVEL1_GROUPS = ROOT / "tests" / "data" / "urdu-level1-groups.txt"
# Mixed text as it comes: Latin words and digits (weighed in the full order,
# not in the classic one), repeats, and Urdu words that differ only in what
# the classic order does not weigh.
MIXED = ["apple", "Zebra", "apple", "42", "کتاب 2", "کتاب 10", "کتاب 2", "کِتاب1", "کتاب", "کِتاب", "کتاب1",
         "x1", "x0", "x1", "", " ", "abc", "xyz", "کتاب", "😀", "Ａ", "ب 😀", "ا 😀"]


def read_lines(path):
    return path.read_text(encoding="utf-8").splitlines()


@pytest.fixture(scope="session")
def ordered():
    return read_lines(ORDERED)


@pytest.fixture(scope="session")
def words(ordered):
    groups = [word for line in read_lines(LEVEL1_GROUPS) for word in line.split("\t")]
    return ordered + groups + MIXED


@pytest.fixture(scope="session")
def collator():
    return zabrelo.Collator()


@pytest.fixture(scope="session")
def classic():
    """A collator in the classic order, where everything outside the Arabic
    block weighs nothing: the place for ties of equal keys."""
    return zabrelo.Collator(classic=True)


@pytest.fixture(scope="session")
def tool():
    """The zabrelo command: $ZABRELO_TOOL, else build/zabrelo. Tests that need
    it are skipped without one, unless $ZABRELO_TOOL names it (as CI does)."""
    named = os.environ.get("ZABRELO_TOOL")
    path = pathlib.Path(named) if named else ROOT / "build" / "zabrelo"
    if not path.is_file():
        if named:
            pytest.fail(f"ZABRELO_TOOL={named} does not exist")
        pytest.skip("no zabrelo command: build it with CMake or set ZABRELO_TOOL")
    return path


def run_tool(tool, *arguments, stdin=b""):
    return subprocess.run([str(tool), *arguments], input=stdin, stdout=subprocess.PIPE, check=True).stdout

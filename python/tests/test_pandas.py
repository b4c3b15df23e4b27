"""pandas: sort_values with the collator's keys, as docs/python.md shows it."""
import random

import pytest

pd = pytest.importorskip("pandas")


def test_sort_values_by_key(collator, ordered):
    shuffled = random.Random(2).sample(ordered, len(ordered))
    df = pd.DataFrame({"word": shuffled, "n": range(len(shuffled))})
    result = df.sort_values("word", key=lambda s: s.map(collator.sort_key))
    assert list(result["word"]) == ordered
    # The rows move together.
    assert all(shuffled[n] == w for n, w in zip(result["n"], result["word"]))


def test_stable_sort_keeps_ties_in_order(collator, words):
    df = pd.DataFrame({"word": words * 3})
    for ascending in (True, False):
        result = df.sort_values("word", key=lambda s: s.map(collator.sort_key), kind="stable", ascending=ascending)
        assert list(result["word"]) == collator.sorted(words * 3, reverse=not ascending)

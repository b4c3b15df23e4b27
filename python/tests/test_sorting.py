"""Collator.sorted is sorted(key=sort_key) on any input, ties and
direction included, and one collator serves many threads at once."""
import random
import threading

import pytest
import zabrelo


def mixed_texts(words, count, seed):
    """Texts with many equal keys: repeats, Latin-only texts (empty keys in the classic order),
    texts equal but for unweighed characters, and long phrases whose keys
    differ only after their first sixteen bytes."""
    rng = random.Random(seed)
    long_prefix = " ".join(words[100:110])
    texts = []
    for _ in range(count):
        kind = rng.random()
        if kind < 0.3:
            texts.append(rng.choice(words))
        elif kind < 0.4:
            texts.append(rng.choice(["a", "b", "", "42", "😀"]))
        elif kind < 0.6:
            texts.append(rng.choice(words) + rng.choice(["", "1", "x", "😀"]))
        elif kind < 0.7:
            texts.append(long_prefix + " " + rng.choice(words))
        else:
            texts.append(" ".join(rng.choice(words) for _ in range(rng.randint(1, 3))))
    return texts


# Below and above the sizes where sorting changes method and threads start.
@pytest.mark.parametrize("count", [0, 1, 2, 100, 5000, 40000])
def test_sorted_is_sorted_by_sort_key(collator, words, count):
    texts = mixed_texts(words, count, count)
    for level in (1, 3):
        for reverse in (False, True):
            expected = sorted(texts, key=lambda t: collator.sort_key(t, level), reverse=reverse)
            assert collator.sorted(texts, reverse=reverse, level=level) == expected
    assert collator.sort_keys(texts) == [collator.sort_key(t) for t in texts]


def test_equal_keys_keep_input_order_in_both_directions(classic):
    texts = [f"ب{n}" for n in range(30000)] + [f"ا{n}" for n in range(30000)]
    assert classic.sorted(texts) == texts[30000:] + texts[:30000]
    assert classic.sorted(texts, reverse=True) == texts


def test_one_collator_on_many_threads(collator, words):
    texts = mixed_texts(words, 30000, 3)
    expected_sorted = sorted(texts, key=collator.sort_key)
    expected_keys = [collator.sort_key(t) for t in texts]
    long_text = "ب" * 200000
    expected_long = collator.sort_key(long_text)
    failures = []

    def work(n):
        try:
            for _ in range(3):
                if n % 3 == 0:
                    assert collator.sorted(texts) == expected_sorted
                elif n % 3 == 1:
                    assert [collator.sort_key(t) for t in texts] == expected_keys
                else:
                    assert collator.sort_key(long_text) == expected_long
                    assert collator.compare(long_text, long_text + "ا") == -1
        except Exception as error:  # reported below, on the main thread
            failures.append(error)

    threads = [threading.Thread(target=work, args=(n,)) for n in range(8)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    assert not failures


def test_changing_the_input_meanwhile_is_harmless(collator, words):
    # sorted() works on its own copy of the items: a list emptied by another
    # thread while the keys are built without the GIL changes nothing.
    texts = mixed_texts(words, 50000, 5)
    expected = sorted(texts, key=collator.sort_key)
    for _ in range(5):
        victim = list(texts)
        clearer = threading.Thread(target=victim.clear)
        clearer.start()
        result = collator.sorted(victim)
        clearer.join()
        assert result in (expected, [])


def test_natural_order_sorts_numbers_by_value():
    chapters = ["باب 10", "باب ۳", "باب 2", "باب ١١"]
    assert zabrelo.Collator(natural=True).sorted(chapters) == ["باب 2", "باب ۳", "باب 10", "باب ١١"]
    assert zabrelo.Collator().sorted(chapters) == ["باب 10", "باب ١١", "باب 2", "باب ۳"]

"""Keys and comparison: the same bytes as the library's, whatever the str's
storage, and the order they give."""
import random

import pytest
import zabrelo
from conftest import run_tool

# Numbers in the three digit sets, alone and in words, where the natural
# order differs from the full one.
NUMBERED = ["باب 2", "باب ۳", "باب 10", "باب ١١", "2", "۲", "٢", "10", "007", "7", "1.5", "x9y", "٣٤٥"]


@pytest.mark.parametrize("orders, options", [({}, []), ({"classic": True}, ["--classic"]),
                                             ({"natural": True}, ["--natural"])])
@pytest.mark.parametrize("level", [1, 2, 3])
def test_keys_are_the_librarys(words, tool, level, orders, options):
    # `zabrelo key` prints one line per input line: the level strings in hex.
    collator = zabrelo.Collator(**orders)
    distinct = [w for w in dict.fromkeys(words + NUMBERED) if w]  # the command reads no empty line back
    printed = run_tool(tool, "key", "-l", str(level), *options,
                       stdin="".join(w + "\n" for w in distinct).encode())
    expected = [bytes.fromhex(line.replace(" ", "")) for line in printed.decode().splitlines()]
    assert [collator.sort_key(w, level) for w in distinct] == expected
    assert collator.sort_keys(distinct, level=level) == expected


def test_compare_is_key_order_plus_the_tie_rule(collator, words):
    sample = random.Random(7).sample(words, 120)
    for level in (0, 1, 3):
        for a in sample:
            ka = collator.sort_key(a, level)
            for b in sample:
                kb = collator.sort_key(b, level)
                units_a, units_b = (len(s.encode("utf-16-le")) for s in (a, b))
                expected = -1 if ka < kb else 1 if ka > kb else (-1 if units_a < units_b else 0)
                assert collator.compare(a, b, level) == expected, (a, b, level)


def test_dictionary_order(collator, ordered):
    shuffled = random.Random(1).sample(ordered, len(ordered))
    assert collator.sorted(shuffled) == ordered
    assert sorted(shuffled, key=collator.sort_key) == ordered
    assert zabrelo.sorted(shuffled, reverse=True) == ordered[::-1]


def test_level_one_ignores_diacritics(collator):
    assert collator.sort_key("مُلک", 1) == collator.sort_key("ملک", 1) != collator.sort_key("مُلک", 2)
    assert zabrelo.Collator(level=1).sorted(["مَلِک", "ملک", "عِلم"]) == ["عِلم", "مَلِک", "ملک"]


# Texts that are the same UTF-16 units stored the three ways a str can be.
SAME_UNITS = [
    ("a b", "a b\u0100", "one byte a character, widened"),
    ("کتاب😀", "کتاب\ud83d\ude00", "beyond the BMP: a surrogate pair"),
    ("😀ب\x00", "\ud83d\ude00ب\x00", "NUL is a unit like any other"),
]


@pytest.mark.parametrize("text, units, why", SAME_UNITS)
def test_storage_does_not_change_the_key(collator, text, units, why):
    for level in (1, 3):
        assert collator.sort_key(text, level) == collator.sort_key(units.replace("\u0100", ""), level), why
    # The tie rule counts UTF-16 units: a character beyond the BMP is two.
    assert collator.compare(text, units.replace("\u0100", "")) == 0


@pytest.mark.parametrize("a, b, expected", [
    ("😀", "ab", 0), ("😀", "abc", -1), ("\ud800", "ab", -1), ("ab", "\ud800", 0),
    ("", "", 0), ("", "\x00", -1), ("é", "\udfff", 0),
])
def test_tie_rule_counts_utf16_units(classic, a, b, expected):
    assert classic.compare(a, b) == expected


ODD_TEXTS = ["", "\x00", "\ud800", "\udc00ب", "ب\ud800", "\ud800\ud800", "\U0010ffff", "\r\n", "\ufeffب",
             "ـــ", "ئ", "ۓ", "آ" * 600, "ب\u200c" * 300, "\x00" * 1000]


def test_odd_texts_give_keys_and_sort(collator):
    for level in range(-1, 5):
        for text in ODD_TEXTS:
            assert isinstance(collator.sort_key(text, level), bytes)
    assert collator.sorted(ODD_TEXTS) == sorted(ODD_TEXTS, key=collator.sort_key)


@pytest.mark.parametrize("length", [512, 513, 70000, 1_000_000])
def test_long_texts(collator, length):
    # Past 512 units the key is counted before it is written, and past 65536
    # it is built without the GIL: the same bytes every way.
    one = collator.sort_key("ب")
    levels = [one[i:i + 1] * length for i in range(3)]
    assert collator.sort_key("ب" * length) == b"".join(levels)
    assert collator.sort_key("ب" * length, 1) == levels[0]
    assert collator.compare("ب" * length, "ب" * length + "ا") == -1


@pytest.mark.parametrize("level, same_as", [(None, 3), (0, 0), (-5, 0), (-10**100, 0), (4, 3), (10**100, 3),
                                           (True, 1), (2, 2)])
def test_levels_are_taken_as_the_library_takes_them(collator, level, same_as):
    expected = b"" if same_as == 0 else collator.sort_key("کِتاب", same_as)
    assert collator.sort_key("کِتاب", level) == expected
    assert collator.sort_keys(["کِتاب"], level) == [expected]


def test_the_full_and_classic_orders_agree_on_urdu_words(ordered):
    # Stored keys of Urdu words stay valid in the full order.
    assert zabrelo.Collator().sort_keys(ordered) == zabrelo.Collator(classic=True).sort_keys(ordered)

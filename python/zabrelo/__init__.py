"""Urdu text in dictionary order.

    import zabrelo

    words = ["کتاب", "قلم", "اردو"]
    zabrelo.sorted(words)                       # ['اردو', 'قلم', 'کتاب']
    sorted(words, key=zabrelo.sort_key)         # the same, key by key

    c = zabrelo.Collator(level=1)               # letters only; or Collator("my-table.txt")
    c.sort_key("کتاب")                          # bytes: compare keys as bytes
    c.compare("کتاب", "کِتاب")                   # -1, 0 or 1
    df.sort_values("word", key=lambda s: s.map(c.sort_key))   # pandas
    zabrelo.Collator(natural=True)              # 'باب 2' before 'باب 10'
    zabrelo.Collator(classic=True)              # only the Arabic block weighs

A key's plain byte order is the collation order, so keys can be stored,
indexed and sorted by anything that sorts bytes. Digits, punctuation and
Latin letters weigh too: digits and punctuation before Urdu letters, Latin
letters after them.
"""
from ._zabrelo import Collator, __version__

__all__ = ["Collator", "sort_key", "sorted", "__version__"]


def __getattr__(name):
    # The module's functions are the bound methods of a collator on the
    # default table at level 3, so zabrelo.sort_key costs no more per call
    # than a collator's own. It is made on first use, not on import: a
    # $ZABRELO_TABLE that names no usable table fails there, with its reason.
    if name in ("sort_key", "sorted"):
        default = Collator()
        globals().update(sort_key=default.sort_key, sorted=default.sorted)
        return globals()[name]
    raise AttributeError(f"module {__name__!r} has no attribute {name!r}")

"""Urdu text in dictionary order.

    import zabrelo

    words = ["کتاب", "قلم", "اردو"]
    zabrelo.sorted(words)                       # ['اردو', 'قلم', 'کتاب']
    sorted(words, key=zabrelo.sort_key)         # the same, key by key

    c = zabrelo.Collator(level=1)               # letters only; or Collator("my-table.txt")
    c.sort_key("کتاب")                          # bytes: compare keys as bytes
    c.compare("کتاب", "کِتاب")                   # -1, 0 or 1
    df.sort_values("word", key=lambda s: s.map(c.sort_key))   # pandas

A key's plain byte order is the collation order, so keys can be stored,
indexed and sorted by anything that sorts bytes. Characters the table does
not weigh (Latin letters, digits, punctuation) add nothing to a key.
"""
import os as _os

from . import _zabrelo
from ._zabrelo import Collator, __version__

__all__ = ["Collator", "sort_key", "sorted", "__version__"]

_zabrelo._set_bundled_table(_os.path.join(_os.path.dirname(_os.path.abspath(__file__)), "UrduCOdepage.txt"))

# The bundled table at level 3. Its bound methods are the module's functions,
# so zabrelo.sort_key costs no more per call than a collator's own.
_default = Collator()

sort_key = _default.sort_key
sorted = _default.sorted

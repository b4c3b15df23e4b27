#!/usr/bin/env python3
"""Checks of the full order through the C interface, beside ICU (PyICU, Debian's python3-icu):
NFC and NFD forms of a word list get equal keys; the full and the classic order give the word list
the same keys; presentation forms weigh as their letters at level 1; the three digit sets share a
level-1 key; English words alone sort as ICU "ur" sorts them.

    bench/full-order-checks.py LIBZABRELO TABLE WORDS CORPUS
"""
import ctypes, sys, unicodedata, icu
lib = ctypes.CDLL(sys.argv[1])
def open_(opts):
    col = ctypes.c_void_p()
    assert lib.zabrelo_open_ex(sys.argv[2].encode(), opts, ctypes.byref(col), None, None, None) == 0
    return col
full, classic = open_(0), open_(1)
def key(col, s, level=3):
    b = s.encode(); buf = (ctypes.c_uint8 * 8192)(); n = ctypes.c_size_t()
    assert lib.zabrelo_key8(col, b, ctypes.c_size_t(len(b)), level, buf, ctypes.c_size_t(8192), ctypes.byref(n)) == 0
    return bytes(buf[:n.value])
words = [l.strip() for l in open(sys.argv[3], encoding="utf-8") if l.strip()]
same = sum(key(full, unicodedata.normalize("NFC", w)) == key(full, unicodedata.normalize("NFD", w)) for w in words)
differ_nf = sum(unicodedata.normalize("NFC", w) != unicodedata.normalize("NFD", w) for w in words)
print(f"NFC/NFD equal keys (full): {same} of {len(words)} ({100*same/len(words):.3f}%); words whose NFC and NFD differ: {differ_nf}")
samec = sum(key(classic, unicodedata.normalize("NFC", w)) == key(classic, unicodedata.normalize("NFD", w)) for w in words)
print(f"NFC/NFD equal keys (classic): {samec} of {len(words)}")
bad = [w for w in words if key(full, unicodedata.normalize("NFC", w)) != key(full, unicodedata.normalize("NFD", w))][:5]
print("examples:", [(w, [hex(ord(c)) for c in unicodedata.normalize("NFD", w)]) for w in bad])
# classic keys of the word list: full vs classic
eq = sum(key(full, w) == key(classic, w) for w in words)
print(f"full == classic keys on the word list: {eq} of {len(words)}")
# presentation forms
forms = [c for c in list(range(0xFB50, 0xFE00)) + list(range(0xFE70, 0xFF00)) if unicodedata.decomposition(chr(c)).startswith("<")]
ok = 0; missing = []
for c in forms:
    letters = "".join(x for x in unicodedata.normalize("NFKC", chr(c)) if x not in " \u0640")
    if letters and key(full, chr(c), 1) == key(full, letters, 1) and key(full, chr(c), 1): ok += 1
    else: missing.append(c)
print(f"presentation forms weighing as their letters at level 1: {ok} of {len(forms)} ({100*ok/len(forms):.2f}%)")
print("not:", " ".join(f"{c:04X}" for c in missing[:40]))
# digits
print("level-1 keys of 2, ۲, ٢:", [key(full, d, 1).hex() for d in ("2", "\u06F2", "\u0662")])
# English words alone as ICU sorts them
coll = icu.Collator.createInstance(icu.Locale("ur"))
eng = sorted(set(w for line in open(sys.argv[4], encoding="utf-8") for w in line.split() if w.isascii() and w.isalpha()))
icu_o = sorted(eng, key=coll.getSortKey); ours = sorted(eng, key=lambda w: (key(full, w), w))
rank = {w: i for i, w in enumerate(ours)}
pairs = [(a, b) for a, b in zip(icu_o, icu_o[1:]) if coll.compare(a, b) != 0]
badp = [(a, b) for a, b in pairs if rank[a] > rank[b]]
print(f"English words: {len(eng)}; ICU adjacent pairs kept {len(pairs)-len(badp)} of {len(pairs)}; identical order: {icu_o == ours}", badp[:5])

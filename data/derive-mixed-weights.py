#!/usr/bin/python3
"""Writes data/mixed-weights.tsv: weights for the characters outside the Arabic block that Urdu text
mixes in (digits, punctuation, Latin letters, presentation forms), in the order ICU's "ur" collation
gives them, fitted into the byte values the Urdu weights leave free.

    /usr/bin/python3 data/derive-mixed-weights.py           rewrite data/mixed-weights.tsv
    /usr/bin/python3 data/derive-mixed-weights.py --check   exit 1 if it differs from what ICU gives now

Needs PyICU (Debian: python3-icu). Run it by hand when the order should follow a newer ICU, review
the diff, then run data/make-table.py, which needs no ICU and turns the tsv into table lines.

A key is one byte per level and per element, and the three levels are joined without separators,
so each group gets a byte range of its own (data/README.md lists them):
- punctuation and symbols share the primary of the Urdu mark ICU puts just before them and differ
  from it at level 2 (01..04 before the Urdu mark, 06 and up after it);
- ASCII digits take the Urdu digits' primaries, with tertiary 04 so that they come first;
- Latin letters weigh as two elements, the lead byte F4 (above every Urdu letter) and then the
  letter's own byte: 26 letters and their variants do not fit above F0 in one byte;
- accents and the combining marks weigh at level 2 only, after the letter;
- presentation forms weigh as the letters they decompose to, with a tertiary naming the form.
"""

import argparse
import os
import sys
import unicodedata

import icu

HERE = os.path.dirname(os.path.abspath(__file__))
URDU = os.path.join(HERE, "urdu-weights.tsv")
OUTPUT = os.path.join(HERE, "mixed-weights.tsv")

LATIN_LEAD = 0xF4
LATIN_FIRST = 0x42           # the second bytes of Latin letters count up from here
DIGIT_TERTIARY = 0x04        # below the Urdu digits' 05
COMPAT_TERTIARY = 0x1E       # a compatibility sequence (the ellipsis) after its spelled-out parts
FORM_TERTIARY = {"isolated": 0x10, "final": 0x11, "initial": 0x12, "medial": 0x13}
OTHER_FORM_TERTIARY = 0x14   # ligatures and the other compatibility forms
PLAIN = 0x05                 # the ordinary secondary and tertiary
# Latin case and variants: tertiaries 06 and up. Accents: secondaries from ACCENT_FIRST, above every
# Latin tertiary, so that an accent one word has and the other lacks decides before case does.
LATIN_TERTIARY_FIRST = 0x06
ACCENT_FIRST = 0x10
ACCENT_LIMIT = 0x20          # 20..35 are the Urdu vowel marks'
ACCENT_OVERFLOW = (0x36, 0x41)  # further accents go above the Urdu marks, below the space's 41
PUNCT_BEFORE = (0x01, 0x05)  # half-open ranges of secondaries
PUNCT_AFTER = (0x06, 0x20)
NBSP = 0x00A0
SPACE_PRIMARY = 0x41

COLLATOR = icu.Collator.createInstance(icu.Locale("ur"))
CEI = icu.CollationElementIterator


def icu_elements(text):
    """ICU's collation elements of `text` as (primary, secondary, tertiary)."""
    it = COLLATOR.createCollationElementIterator(text)
    out = []
    while True:
        ce = it.next()
        if ce == CEI.NULLORDER:
            return out
        out.append((CEI.primaryOrder(ce), CEI.secondaryOrder(ce), CEI.tertiaryOrder(ce)))


def read_urdu(path):
    """The Urdu table's own weights: {code point: (p, s, t)} and {(first, second): (p, s, t)}."""
    own, pairs = {}, {}
    with open(path, encoding="utf-8") as source:
        for line in source:
            if line.startswith("#") or not line.strip():
                continue
            columns = line.rstrip("\n").split("\t")
            points = tuple(int(p, 16) for p in columns[0].split(" "))
            weights = tuple(int(w, 16) for w in columns[1:4])
            (own if len(points) == 1 else pairs).setdefault(points if len(points) == 2 else points[0], weights)
    return own, pairs


def digits(own):
    """ASCII digits weigh as the Urdu digits, before them at level 3."""
    return {0x30 + d: [(own[0x06F0 + d][0], own[0x06F0 + d][1], DIGIT_TERTIARY)] for d in range(10)}


PUNCTUATION_CANDIDATES = (list(range(0x21, 0x7F)) + list(range(0xA1, 0xC0)) + [0xD7, 0xF7]
                          + list(range(0x2010, 0x2060)) + list(range(0x20A0, 0x20C0)) + [0x2122, 0x2190, 0x2192])


def punctuation_candidates():
    return [c for c in PUNCTUATION_CANDIDATES if unicodedata.category(chr(c))[0] in "PS"]


# Urdu marks and the marks of other scripts a reader takes for the same: "?" and "؟" should be equal
# at level 1, as "2" and "۲" are.
COUNTERPARTS = {0x060C: 0x002C, 0x061B: 0x003B, 0x061F: 0x003F, 0x06D4: 0x002E, 0x066A: 0x0025,
                0x066D: 0x002A, 0x0609: 0x2030, 0x060A: 0x2031}


def punctuation(own):
    """Each mark shares the primary of the Urdu mark ICU sorts just before it, or of the Urdu
    counterpart ICU sorts it before (with the marks ICU puts between the two)."""
    urdu_marks = [cp for cp in range(0x0600, 0x0700) if cp in own and 0x42 <= own[cp][0] <= 0x56]
    everything = sorted(punctuation_candidates() + urdu_marks, key=lambda c: COLLATOR.getSortKey(chr(c)))
    groups = {}  # Urdu mark -> (marks before it, marks after it)
    pending = []  # the marks after the last Urdu mark seen
    for c in everything:
        if c not in urdu_marks:
            pending.append(c)
            continue
        counterpart = COUNTERPARTS.get(c)
        split = pending.index(counterpart) if counterpart in pending else len(pending)
        if not groups:
            split = 0  # nothing before the first Urdu mark has another primary to share
        groups[c] = (pending[split:], [])
        del pending[split:]
        pending = groups[c][1]

    weights = {}

    def assign(marks, primary, span):
        # A new secondary for each new ICU primary while the range lasts; then, and for marks ICU
        # itself holds equal at level 1, the tertiary counts up instead.
        secondary, limit = span[0], span[1] - 1
        tertiary, previous = PLAIN, None
        for c in marks:
            icu_primary = icu_elements(chr(c))[0][0]
            if previous is not None:
                if icu_primary != previous and secondary < limit:
                    secondary, tertiary = secondary + 1, PLAIN
                else:
                    tertiary += 1
            weights[c] = [(primary, secondary, tertiary)]
            previous = icu_primary

    for mark, (marks_before, marks_after) in groups.items():
        assign(marks_before, own[mark][0], PUNCT_BEFORE)
        assign(marks_after, own[mark][0], PUNCT_AFTER)
    return weights


def latin():
    """Latin letters as the lead byte and their own byte; accents, and the combining marks, as
    secondary-only elements."""
    letters = [c for c in list(range(0x41, 0x5B)) + list(range(0x61, 0x7B)) + list(range(0xC0, 0x250))
               if unicodedata.category(chr(c)).startswith("L")]
    primaries, secondaries, tertiaries = set(), set(), set()
    for c in letters:
        for p, s, t in icu_elements(chr(c)):
            if p:
                primaries.add(p)
            secondaries.add(s)
            tertiaries.add(t)
    primary_of = {p: LATIN_FIRST + i for i, p in enumerate(sorted(primaries))}
    if max(primary_of.values()) > 0xFF:
        sys.exit("derive-mixed-weights: too many Latin primaries for one byte")
    slots = list(range(ACCENT_FIRST, ACCENT_LIMIT)) + list(range(*ACCENT_OVERFLOW))
    secondary_of = {0: 0, PLAIN_ICU: PLAIN}
    for i, s in enumerate(sorted(s for s in secondaries if s not in secondary_of)):
        secondary_of[s] = slots[min(i, len(slots) - 1)]
    tertiary_of = {0: 0, PLAIN_ICU: PLAIN}
    for i, t in enumerate(sorted(t for t in tertiaries if t not in tertiary_of)):
        tertiary_of[t] = min(LATIN_TERTIARY_FIRST + i, ACCENT_FIRST - 1)

    weights = {}
    for c in letters:
        elements = []
        for p, s, t in icu_elements(chr(c)):
            if p:
                elements += [(LATIN_LEAD, 0, 0), (primary_of[p], secondary_of[s], tertiary_of[t])]
            else:
                elements.append((0, secondary_of[s], 0))
        weights[c] = elements
    for mark in range(0x0300, 0x0370):
        e = icu_elements(chr(mark))
        if len(e) == 1 and e[0][0] == 0 and e[0][1] in secondary_of:
            weights[mark] = [(0, secondary_of[e[0][1]], 0)]
    return weights


PLAIN_ICU = 5  # ICU's common secondary and tertiary

# Letters the Urdu weights split before lookup: the forms weigh as their parts.
HAMZA_PARTS = {0x0623: [0x0627, 0x0654], 0x0624: [0x0648, 0x0654], 0x0625: [0x0627, 0x0655],
               0x06D3: [0x06D2, 0x0654]}
YEH_WITH_HAMZA = 0x0626


def presentation_forms(own, pairs):
    def letter(cp, form, last):
        variant = FORM_TERTIARY.get(form, OTHER_FORM_TERTIARY)
        if cp == YEH_WITH_HAMZA:
            # Inside a word the library weighs ئ as the letter ء; at its end as ی + hamza. In a
            # ligature, a letter after it puts it inside.
            if last and form not in ("initial", "medial"):
                p, s, _ = pairs[(0x06CC, 0x0654)]
                return [(p, s, variant)]
            parts = [0x0621]
        else:
            parts = HAMZA_PARTS.get(cp, [cp])
        out = []
        for x in parts:
            p, s, t = own.get(x, (0, 0, 0))
            if p or s:
                out.append((p, s, variant if p else t))
        return out

    weights = {}
    for c in list(range(0xFB50, 0xFE00)) + list(range(0xFE70, 0xFF00)):
        decomposition = unicodedata.decomposition(chr(c))
        if not decomposition.startswith("<"):
            continue
        tag, *points = decomposition.split()
        form = tag.strip("<>")
        # The space and the tatweel some forms carry weigh nothing here.
        letters = [x for x in (int(p, 16) for p in points) if x not in (0x0020, 0x0640)]
        elements = []
        for k, x in enumerate(letters):
            elements += letter(x, form, k + 1 == len(letters))
        if elements:
            weights[c] = elements
    return weights


def compatibility_sequences(known):
    """Marks whose compatibility decomposition is a sequence (… as ...): their parts, one tertiary."""
    weights = {}
    for c in punctuation_candidates():
        parts = unicodedata.normalize("NFKD", chr(c))
        if len(parts) > 1 and all(ord(x) in known for x in parts):
            weights[c] = [(p, s, COMPAT_TERTIARY if t and p != LATIN_LEAD else t)
                          for x in parts for (p, s, t) in known[ord(x)]]
    return weights


def derive():
    own, pairs = read_urdu(URDU)
    weights = {}
    weights.update(digits(own))
    weights.update(punctuation(own))
    weights.update(latin())
    weights.update(presentation_forms(own, pairs))
    weights.update(compatibility_sequences({**weights, **own}))
    weights[NBSP] = [(SPACE_PRIMARY, 0, 0)]
    return {c: e for c, e in weights.items() if not 0x0600 <= c < 0x06FA}


def shown(c):
    ch = chr(c)
    category = unicodedata.category(ch)
    if category == "Mn":
        return "\u25CC" + ch
    if category[0] in "ZC":
        return "-"
    return ch


def render(weights):
    lines = [
        "# Weights of the characters outside the Arabic block, as ICU's \"ur\" collation orders them:",
        "# derive-mixed-weights.py writes this file (it needs PyICU), make-table.py appends its lines to",
        "# UrduCOdepage.txt. Columns (tab-separated): the code point in hex, its elements (each",
        "# primary,secondary,tertiary in hex, 00 = nothing at that level), the character and its name.",
        f"# ICU {icu.ICU_VERSION}, Unicode {icu.UNICODE_VERSION}.",
    ]
    for c in sorted(weights):
        elements = " ".join(",".join(f"{w:02X}" for w in e) for e in weights[c])
        lines.append(f"{c:04X}\t{elements}\t# {shown(c)} {unicodedata.name(chr(c))}")
    return "\n".join(lines) + "\n"


def main():
    parser = argparse.ArgumentParser(description="Derive the mixed-text weights from ICU's Urdu order.")
    parser.add_argument("--check", action="store_true", help="compare with the file on disk, write nothing")
    args = parser.parse_args()
    text = render(derive())
    if args.check:
        with open(OUTPUT, encoding="utf-8") as committed:
            if committed.read() != text:
                print(f"derive-mixed-weights: {OUTPUT} differs from what ICU {icu.ICU_VERSION} gives",
                      file=sys.stderr)
                return 1
        print(f"{OUTPUT} is up to date")
        return 0
    with open(OUTPUT, "w", encoding="utf-8") as out:
        out.write(text)
    print(f"wrote {OUTPUT}: {len(text.splitlines()) - 5} code points")
    return 0


if __name__ == "__main__":
    sys.exit(main())

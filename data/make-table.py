#!/usr/bin/env python3
"""Writes data/UrduCOdepage.txt, the table the library loads, from data/urdu-weights.tsv (the Arabic
block) and data/mixed-weights.tsv (what Urdu text mixes in: digits, punctuation, Latin letters,
presentation forms; derive-mixed-weights.py writes it from ICU's order).

    python3 data/make-table.py            regenerate the table
    python3 data/make-table.py --check    exit 1 if data/UrduCOdepage.txt differs from what the source gives
    python3 data/make-table.py --count    print only the number of data lines

The loader reads the table byte by byte without translating line ends, so the output is built as
bytes: pure ASCII, CR LF after every line. The CR is the line's tail; without it the loader would
skip every other line. Only the character name goes into a line's tail, never the glyph.

The block's lines and pairs come first and stay exactly as they were: the classic load reads only
them, and skips the mixed lines after them, so its keys never change. Needs no ICU.
"""

import argparse
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.join(HERE, "urdu-weights.tsv")
MIXED = os.path.join(HERE, "mixed-weights.tsv")
TABLE = os.path.join(HERE, "UrduCOdepage.txt")

TITLE = "Urdu collation weights"
RANGE_FIRST, RANGE_LIMIT = 0x0600, 0x06FA  # half-open, as the loader tests it
NON_JOINER = 0x200C  # the one code point outside the range the loader accepts
SPACE = 0x0020
SPACE_PRIMARY = 0x41  # fixed by the library, not a table line
SURROGATES = range(0xD800, 0xE000)
LEAD = 0xF4  # a Latin letter weighs as this byte and then its own: never a whole weight
FIELD_MAX = 511  # the loader reads at most 512 bytes into a field, "[" included
HEX_DIGITS = "0123456789ABCDEF"


class TableError(Exception):
    pass


def parse_hex(text, digits, where):
    # The loader reads lower-case letters as 0, so "06a9" would silently become U+0609.
    if len(text) != digits or any(ch not in HEX_DIGITS for ch in text):
        raise TableError(f"{where}: '{text}' is not {digits} upper-case hex digits")
    return int(text, 16)


def data_rows(path, fields, expected):
    """Yields (where, columns, name) for each data row of a tab-separated source whose `fields`
    columns are followed by a '# <char> <NAME>' comment; `expected` says what a row holds."""
    with open(path, encoding="utf-8") as source:
        for number, line in enumerate(source, 1):
            line = line.rstrip("\n")
            if not line or line.startswith("#"):
                continue
            where = f"{os.path.basename(path)}:{number}"
            columns = line.split("\t")
            if len(columns) != fields + 1 or not columns[fields].startswith("# "):
                raise TableError(f"{where}: expected {expected} and a '# char NAME' comment")
            # Only the name goes into the table.
            name = columns[fields][2:].partition(" ")[2].strip()
            if not name or not name.isascii() or "\r" in name:
                raise TableError(f"{where}: the comment needs an ASCII character name")
            yield where, columns[:fields], name


def read_rows(path):
    """Returns (code points, (primary, secondary, tertiary), name) per data row, in file order."""
    rows = []
    for where, columns, name in data_rows(path, 4, "4 tab-separated fields"):
        points = tuple(parse_hex(p, 4, where) for p in columns[0].split(" "))
        if len(points) not in (1, 2):
            raise TableError(f"{where}: a row holds one code point or a pair")
        weights = tuple(parse_hex(w, 2, where) for w in columns[1:4])
        rows.append((points, weights, name, where))
    return rows


def validate(rows):
    singles = [r for r in rows if len(r[0]) == 1]
    pairs = [r for r in rows if len(r[0]) == 2]
    if rows != singles + pairs:
        # A pair read before its base's own line would become the base's own weights.
        raise TableError("every single code point row must come before the first pair")

    seen = {}
    for points, _, _, where in rows:
        if points in seen:
            raise TableError(f"{where}: duplicate of the row at {seen[points]}")
        seen[points] = where

    own = {r[0][0] for r in singles}
    for (point,), weights, _, where in singles:
        in_range = RANGE_FIRST <= point < RANGE_LIMIT
        if not in_range and point != NON_JOINER:
            raise TableError(f"{where}: U+{point:04X} is outside the table's range; the loader ignores it")
        if point == NON_JOINER and (weights[0] or weights[1]):
            raise TableError(f"{where}: the non-joiner must not weigh at levels 1 and 2")
    for (first, second), _, _, where in pairs:
        if first not in own or first == NON_JOINER:
            raise TableError(f"{where}: U+{first:04X} starts a pair but has no line of its own in range")
        if not RANGE_FIRST <= second < RANGE_LIMIT:
            raise TableError(f"{where}: U+{second:04X} is outside the range, so the pair never matches")
        if first == second:
            raise TableError(f"{where}: a pair of a letter with itself never matches its own line")

    weights = [r[1] for r in rows]
    primaries = [p for p, _, _ in weights if p]
    secondaries = [s for _, s, _ in weights if s]
    tertiaries = [t for _, _, t in weights if t]
    lowest_primary = min(primaries)
    if lowest_primary <= SPACE_PRIMARY:
        raise TableError(f"primary {lowest_primary:02X} is not above the space's {SPACE_PRIMARY:02X}")
    highest = max(secondaries + tertiaries)
    if highest >= lowest_primary or highest >= SPACE_PRIMARY:
        # Level strings are joined without separators: a secondary byte that could outrank a primary
        # would let a shorter word sort after a longer one it is a prefix of.
        raise TableError(f"secondary or tertiary {highest:02X} is not below every primary")
    mark_secondaries = [s for p, s, _ in weights if not p and s]
    if mark_secondaries and max(tertiaries) >= min(mark_secondaries):
        # Two words with the same letters, one of them carrying an extra vowel mark: the plain
        # word's first tertiary meets the mark's secondary in the joined key and must lose.
        raise TableError(f"tertiary {max(tertiaries):02X} is not below the smallest mark secondary "
                         f"{min(mark_secondaries):02X}")
    for points, (p, s, t), _, where in rows:
        # The check above assumes that words with equal primaries differ in their secondaries only
        # through marks; a letter without a secondary would break that.
        if p and not (s and t):
            raise TableError(f"{where}: a unit with a primary needs a secondary and a tertiary")

    slots = len({r[0][0] for r in rows if RANGE_FIRST <= r[0][0] < RANGE_LIMIT})
    if slots > 0xFFF:
        raise TableError(f"{slots} slots do not fit the three-digit header")
    return slots


def read_mixed(path):
    """Returns (code point, [(primary, secondary, tertiary), ...], name) per row, in file order."""
    rows = []
    for where, columns, name in data_rows(path, 2, "a code point, its elements"):
        point = parse_hex(columns[0], 4, where)
        elements = []
        for group in columns[1].split(" "):
            weights = group.split(",")
            if len(weights) != 3:
                raise TableError(f"{where}: '{group}' is not primary,secondary,tertiary")
            elements.append(tuple(parse_hex(w, 2, where) for w in weights))
        rows.append((point, elements, name, where))
    return rows


def validate_mixed(mixed, rows):
    """The mixed lines must keep every key sound next to the block's: the same byte rules, and a lead
    byte that only ever starts a letter."""
    block_primaries = [r[1][0] for r in rows if r[1][0]]
    if LEAD <= max(block_primaries):
        raise TableError(f"the lead byte {LEAD:02X} must be above every primary of the block")
    seen = {}
    for point, elements, _, where in mixed:
        if point in seen:
            raise TableError(f"{where}: duplicate of the row at {seen[point]}")
        seen[point] = where
        if RANGE_FIRST <= point < RANGE_LIMIT or point == NON_JOINER:
            raise TableError(f"{where}: U+{point:04X} belongs in {os.path.basename(SOURCE)}")
        if point == SPACE:
            raise TableError(f"{where}: the space has its fixed weight and no line")
        if point in SURROGATES:
            raise TableError(f"{where}: U+{point:04X} is a surrogate, no character")
        if elements == [(SPACE_PRIMARY, 0, 0)]:
            continue  # weighs as a space (the no-break space)
        for k, (p, s, t) in enumerate(elements):
            if p == LEAD:
                # Alone, the lead byte would make a character weigh the same as the first byte of
                # every Latin letter; with weights at levels 2 or 3 it would count them twice.
                following = elements[k + 1][0] if k + 1 < len(elements) else 0
                if (s, t) != (0, 0) or not following or following == LEAD:
                    raise TableError(f"{where}: the lead byte {LEAD:02X} must stand alone in its element "
                                     f"and be followed by a letter's primary")
            elif p:
                if p <= SPACE_PRIMARY:
                    raise TableError(f"{where}: primary {p:02X} is not above the space's {SPACE_PRIMARY:02X}")
                if not (s and t):
                    raise TableError(f"{where}: an element with a primary needs a secondary and a tertiary")
        field = ",".join(weight_text(w) for e in elements for w in e)
        if len(field) + 1 > FIELD_MAX:
            raise TableError(f"{where}: the weight field is longer than the loader reads")

    everything = [w for r in rows for w in [r[1]]] + [e for m in mixed for e in m[1]]
    lowest_primary = min(p for p, _, _ in everything if p)
    highest = max(max(s, t) for _, s, t in everything)
    if highest >= lowest_primary or highest >= SPACE_PRIMARY:
        raise TableError(f"secondary or tertiary {highest:02X} is not below every primary")
    # A Latin word with an accent and the same word without: the plain word's case tertiary meets
    # the accent's secondary in the joined key and must lose to it. (Sequences such as the rupee
    # sign's "Rs" hold several letters and may carry a tertiary of their own.)
    accents = [s for m in mixed for p, s, _ in m[1] if not p and s]
    letters = [m[1] for m in mixed if [e[0] for e in m[1]].count(LEAD) == 1]
    cases = [e[k + 1][2] for e in letters for k in range(len(e)) if e[k][0] == LEAD]
    if accents and cases and max(cases) >= min(accents):
        raise TableError(f"Latin tertiary {max(cases):02X} is not below the smallest accent secondary "
                         f"{min(accents):02X}")


def weight_text(value):
    return f"{value:X}"  # upper case, no leading zeros, "0" for nothing


def build_table(rows, mixed, slots):
    lines = [f"{slots:X}={TITLE}"]
    for points, weights, name, _ in rows:
        field = ",".join(f"{p:04X}" for p in points)
        lines.append(f"[{field}][{','.join(weight_text(w) for w in weights)}] {name}")
    for point, elements, name, _ in mixed:
        lines.append(f"[{point:04X}][{','.join(weight_text(w) for e in elements for w in e)}] {name}")
    return "".join(line + "\r\n" for line in lines).encode("ascii")


def first_difference(old, new):
    for index, (a, b) in enumerate(zip(old, new)):
        if a != b:
            return index
    return min(len(old), len(new))


def main():
    parser = argparse.ArgumentParser(description="Write the collation table from its tsv source.")
    parser.add_argument("--check", action="store_true", help="compare with the table on disk, write nothing")
    parser.add_argument("--count", action="store_true", help="print only the number of data lines")
    parser.add_argument("--source", default=SOURCE)
    parser.add_argument("--mixed", default=MIXED)
    parser.add_argument("--table", default=TABLE)
    args = parser.parse_args()

    try:
        rows = read_rows(args.source)
        slots = validate(rows)
        mixed = read_mixed(args.mixed)
        validate_mixed(mixed, rows)
    except TableError as error:
        print(f"make-table: {error}", file=sys.stderr)
        return 2
    table = build_table(rows, mixed, slots)
    singles = sum(1 for r in rows if len(r[0]) == 1)
    summary = (f"{len(rows) + len(mixed)} data lines ({singles} single code points and "
               f"{len(rows) - singles} pairs of the block, {len(mixed)} mixed-text code points), header {slots:X}")

    if args.check:
        try:
            with open(args.table, "rb") as committed:
                old = committed.read()
        except OSError as error:
            print(f"make-table: cannot read {args.table}: {error.strerror}", file=sys.stderr)
            return 1
        if old != table:
            at = first_difference(old, table)
            line = old[:at].count(b"\n") + 1
            print(f"make-table: {args.table} differs from {args.source} at byte {at} (line {line}); "
                  f"run python3 data/make-table.py and commit it with its sources", file=sys.stderr)
            return 1
        if not args.count:
            print(f"{args.table} is up to date: {summary}")
    else:
        with open(args.table, "wb") as out:
            out.write(table)
        if not args.count:
            print(f"wrote {args.table}: {summary}")
    if args.count:
        print(len(rows) + len(mixed))
    return 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
"""Writes data/UrduCOdepage.txt, the table the library loads, from data/urdu-weights.tsv.

    python3 data/make-table.py            regenerate the table
    python3 data/make-table.py --check    exit 1 if data/UrduCOdepage.txt differs from what the source gives
    python3 data/make-table.py --count    print only the number of data lines

The loader reads the table byte by byte without translating line ends, so the output is built as
bytes: pure ASCII, CR LF after every line. The CR is the line's tail; without it the loader would
skip every other line. Only the character name goes into a line's tail, never the glyph.
"""

import argparse
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.join(HERE, "urdu-weights.tsv")
TABLE = os.path.join(HERE, "UrduCOdepage.txt")

TITLE = "Urdu collation weights"
RANGE_FIRST, RANGE_LIMIT = 0x0600, 0x06FA  # half-open, as the loader tests it
NON_JOINER = 0x200C  # the one code point outside the range the loader accepts
SPACE_PRIMARY = 0x41  # fixed by the library, not a table line
HEX_DIGITS = "0123456789ABCDEF"


class TableError(Exception):
    pass


def parse_hex(text, digits, where):
    # The loader reads lower-case letters as 0, so "06a9" would silently become U+0609.
    if len(text) != digits or any(ch not in HEX_DIGITS for ch in text):
        raise TableError(f"{where}: '{text}' is not {digits} upper-case hex digits")
    return int(text, 16)


def read_rows(path):
    """Returns (code points, (primary, secondary, tertiary), name) per data row, in file order."""
    rows = []
    with open(path, encoding="utf-8") as source:
        for number, line in enumerate(source, 1):
            line = line.rstrip("\n")
            if not line or line.startswith("#"):
                continue
            where = f"{os.path.basename(path)}:{number}"
            columns = line.split("\t")
            if len(columns) != 5 or not columns[4].startswith("# "):
                raise TableError(f"{where}: expected 4 tab-separated fields and a '# char NAME' comment")
            points = tuple(parse_hex(p, 4, where) for p in columns[0].split(" "))
            if len(points) not in (1, 2):
                raise TableError(f"{where}: a row holds one code point or a pair")
            weights = tuple(parse_hex(w, 2, where) for w in columns[1:4])
            # The comment is "# <char> <NAME>"; only the name goes into the table.
            name = columns[4][2:].partition(" ")[2].strip()
            if not name or not name.isascii() or "\r" in name:
                raise TableError(f"{where}: the comment needs an ASCII character name")
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


def weight_text(value):
    return f"{value:X}"  # upper case, no leading zeros, "0" for nothing


def build_table(rows, slots):
    lines = [f"{slots:X}={TITLE}"]
    for points, weights, name, _ in rows:
        field = ",".join(f"{p:04X}" for p in points)
        lines.append(f"[{field}][{','.join(weight_text(w) for w in weights)}] {name}")
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
    parser.add_argument("--table", default=TABLE)
    args = parser.parse_args()

    try:
        rows = read_rows(args.source)
        slots = validate(rows)
    except TableError as error:
        print(f"make-table: {error}", file=sys.stderr)
        return 2
    table = build_table(rows, slots)
    singles = sum(1 for r in rows if len(r[0]) == 1)
    summary = (f"{len(rows)} data lines ({singles} single code points, {len(rows) - singles} pairs), "
               f"header {slots:X}")

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
                  f"run python3 data/make-table.py and commit both", file=sys.stderr)
            return 1
        if not args.count:
            print(f"{args.table} is up to date: {summary}")
    else:
        with open(args.table, "wb") as out:
            out.write(table)
        if not args.count:
            print(f"wrote {args.table}: {summary}")
    if args.count:
        print(len(rows))
    return 0


if __name__ == "__main__":
    sys.exit(main())

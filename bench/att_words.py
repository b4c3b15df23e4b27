#!/usr/bin/python3
"""Prints every word a finite-state transducer in AT&T text form accepts on
its input side, one per line, sorted by code point and without duplicates.

Used by real-words.sh to turn a morphological analyser's transducer into a
list of real surface forms for the benchmark. An AT&T file has one arc per
line (source, target, input symbol, output symbol, optional weight) and one
line per final state (state, optional weight); state 0 is the start.
"""
import gzip
import sys

EPSILONS = {"ε", "@0@", "@_EPSILON_SYMBOL_@"}


def read_transducer(path):
    arcs, finals = {}, set()
    opener = gzip.open if path.endswith(".gz") else open
    with opener(path, "rt", encoding="utf-8") as lines:
        for line in lines:
            fields = line.rstrip("\n").split("\t")
            if len(fields) >= 4:
                symbol = "" if fields[2] in EPSILONS else fields[2]
                arcs.setdefault(int(fields[0]), []).append((int(fields[1]), symbol))
            elif fields[0] not in ("", "--"):
                finals.add(int(fields[0]))
    return arcs, finals


def accepted_words(arcs, finals):
    """Every path from state 0 to a final state; a loop would make the list
    endless, so an arc back into the current path is an error."""
    words, on_path = set(), set()
    # Explicit stack of (state, word so far, next arc index): transducers
    # can be deeper than Python's recursion limit.
    stack = [(0, "", 0)]
    on_path.add(0)
    if 0 in finals:
        words.add("")
    while stack:
        state, word, index = stack.pop()
        out = arcs.get(state, [])
        if index == len(out):
            on_path.discard(state)
            continue
        stack.append((state, word, index + 1))
        target, symbol = out[index]
        if target in on_path:
            sys.exit(f"att_words: a loop through state {target}: the word list would be endless")
        on_path.add(target)
        if target in finals:
            words.add(word + symbol)
        stack.append((target, word + symbol, 0))
    return words


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: att_words.py TRANSDUCER.att[.gz]")
    words = accepted_words(*read_transducer(sys.argv[1]))
    words.discard("")
    out = sys.stdout
    for word in sorted(words):
        out.write(word + "\n")


if __name__ == "__main__":
    main()

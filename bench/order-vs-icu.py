#!/usr/bin/env python3
"""How much of ICU "ur"'s order a `zabrelo sort` keeps on a corpus: of the pairs of lines that
stand next to each other in ICU's order (and that ICU does not take for equal), the share that
zabrelo's output puts in the same order; overall, and among the lines that hold a Latin letter
or an ASCII digit. Needs PyICU (Debian's python3-icu).

    bench/order-vs-icu.py CORPUS ZABRELO [SORT OPTION...] [--show N]
"""
import re
import subprocess
import sys

import icu


def main():
    args = sys.argv[1:]
    show = 0
    if "--show" in args:
        at = args.index("--show")
        show = int(args[at + 1])
        del args[at:at + 2]
    corpus, tool, options = args[0], args[1], args[2:]
    with open(corpus, encoding="utf-8") as source:
        lines = list(dict.fromkeys(line for line in source.read().split("\n") if line))
    collator = icu.Collator.createInstance(icu.Locale("ur"))
    icu_order = sorted(lines, key=collator.getSortKey)
    out = subprocess.run([tool, "sort", "-s", *options], input="\n".join(lines) + "\n",
                         capture_output=True, text=True, check=True).stdout.split("\n")[:-1]
    rank = {line: i for i, line in enumerate(out)}
    mixed = re.compile(r"[A-Za-z0-9]")

    def kept(sequence):
        pairs = [(a, b) for a, b in zip(sequence, sequence[1:]) if collator.compare(a, b) != 0]
        differ = [(a, b) for a, b in pairs if rank[a] > rank[b]]
        return len(pairs), differ

    for label, sequence in (("all lines", icu_order), ("Latin/digit lines", [l for l in icu_order if mixed.search(l)])):
        count, differ = kept(sequence)
        share = 100.0 * (count - len(differ)) / count if count else 100.0
        print(f"{label}: {count - len(differ)} of {count} adjacent pairs kept ({share:.2f}%)")
        for a, b in differ[:show]:
            print(f"  ICU: {a!r} < {b!r}")


if __name__ == "__main__":
    main()

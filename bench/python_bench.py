"""Sorting Urdu lines in Python: the zabrelo package beside PyICU and
locale.strxfrm, on the same lines in one run.

    python3 bench/python_bench.py FILE [ROUNDS]

Times each way of sorting the lines of FILE (one text per line) ROUNDS
times (default 3), the ways interleaved round by round so that a busy
moment on a shared machine hits them alike, and prints the best time of
each with its ratio to PyICU's sorted(lines, key=collator.getSortKey) at
tertiary strength, then whether the package meets its targets there:
sorted(key=sort_key) at least 1.3 times and Collator.sorted at least 5
times faster. Exit status 1 when it does not. bench/python-bench.sh
installs the package and makes the input and the locale first.
"""
import gc
import locale
import sys
import time

import icu
import zabrelo

TARGETS = {"zabrelo sorted(key=sort_key)": 1.3, "zabrelo Collator.sorted": 5.0}


def main(path, rounds):
    with open(path, encoding="utf-8") as f:
        lines = f.read().splitlines()
    c = zabrelo.Collator()
    collator = icu.Collator.createInstance(icu.Locale("ur"))
    collator.setStrength(icu.Collator.TERTIARY)
    ways = {
        "PyICU sorted(key=getSortKey)": lambda: sorted(lines, key=collator.getSortKey),
        "zabrelo sorted(key=sort_key)": lambda: sorted(lines, key=c.sort_key),
        "zabrelo Collator.sorted": lambda: c.sorted(lines),
        "PyICU keys only": lambda: [collator.getSortKey(t) for t in lines],
        "zabrelo keys only (sort_key)": lambda: [c.sort_key(t) for t in lines],
        "zabrelo Collator.sort_keys": lambda: c.sort_keys(lines),
    }
    try:
        locale.setlocale(locale.LC_COLLATE, "ur_PK.UTF-8")
        ways["glibc sorted(key=strxfrm)"] = lambda: sorted(lines, key=locale.strxfrm)
    except locale.Error:
        print("note: no ur_PK.UTF-8 locale; glibc is left out", file=sys.stderr)

    if c.sorted(lines) != sorted(lines, key=c.sort_key):
        sys.exit("Collator.sorted differs from sorted(key=sort_key)")
    best = dict.fromkeys(ways, float("inf"))
    for _ in range(rounds):
        for name, way in ways.items():
            gc.collect()
            start = time.perf_counter()
            way()
            best[name] = min(best[name], time.perf_counter() - start)

    base = best["PyICU sorted(key=getSortKey)"]
    print(f"{len(lines):,} lines of {path}, best of {rounds} rounds")
    print(f"{'':34} {'seconds':>8} {'vs PyICU sort':>14}")
    for name, seconds in best.items():
        print(f"{name:34} {seconds:8.3f} {base / seconds:13.2f}x")
    met = True
    for name, target in TARGETS.items():
        ratio = base / best[name]
        met = met and ratio >= target
        print(f"target: {name} >= {target}x faster than PyICU's sort: {ratio:.2f}x, {'met' if ratio >= target else 'MISSED'}")
    return 0 if met else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], int(sys.argv[2]) if len(sys.argv) > 2 else 3))

"""Prints the translated lines of message catalogues, or the Urdu strings of a language pack,
once each in the order first met, for bench/mixed-corpus.sh.

    corpus_lines.py mo FILE.mo...        every msgstr of the catalogues, split at line breaks
    corpus_lines.py langpack FILE.xpi    the values of its .ftl and .properties files that hold Arabic letters
"""
import re
import struct
import sys
import zipfile

ARABIC = re.compile("[\u0600-\u06ff]")


def mo_strings(path):
    # The .mo layout: magic, revision, count, offset of the originals' table, offset of the
    # translations' table; each table a (length, offset) pair per message.
    data = open(path, "rb").read()
    order = "<" if data[:4] == b"\xde\x12\x04\x95" else ">"
    _, _, count, _, translations = struct.unpack(order + "5I", data[:20])
    for k in range(count):
        length, offset = struct.unpack(order + "2I", data[translations + 8 * k:translations + 8 * k + 8])
        # Plural forms are NUL-separated.
        for text in data[offset:offset + length].decode("utf-8", "replace").split("\0"):
            yield text


def langpack_strings(path):
    with zipfile.ZipFile(path) as pack:
        for name in sorted(pack.namelist()):
            if not name.endswith((".ftl", ".properties")):
                continue
            for line in pack.read(name).decode("utf-8", "replace").splitlines():
                if line.startswith("#") or "=" not in line:
                    continue
                yield line.split("=", 1)[1]


def main():
    kind, paths = sys.argv[1], sys.argv[2:]
    source = mo_strings if kind == "mo" else langpack_strings
    seen = set()
    for path in paths:
        for text in source(path):
            for line in text.split("\n"):
                line = line.strip()
                if not line or line in seen or (kind == "langpack" and not ARABIC.search(line)):
                    continue
                seen.add(line)
                print(line)


if __name__ == "__main__":
    main()

"""examples/dask_sort.py writes what `zabrelo sort -s` writes, on a local
cluster of two workers and with blocks small enough to make several
partitions."""
import subprocess
import sys

import pytest
from conftest import ORDERED, ROOT, run_tool

pytest.importorskip("distributed")
EXAMPLE = ROOT / "examples" / "dask_sort.py"


def run_example(*arguments):
    return subprocess.run([sys.executable, str(EXAMPLE), "--workers", "2", *map(str, arguments)],
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=300)


def test_output_is_zabrelo_sort_s(tool, tmp_path, words):
    # A signature, CR LF and LF ends, empty lines, repeats, Latin ties, and a
    # last line without an end.
    lines = [w.encode() + (b"\r\n" if n % 7 == 0 else b"\n") for n, w in enumerate(words * 2)]
    content = b"\xef\xbb\xbf" + b"".join(lines) + b"\n\n" + "آخری".encode()
    source = tmp_path / "in.txt"
    source.write_bytes(content)
    for level, blocksize in ((3, 2000), (1, 100000)):
        done = run_example(source, tmp_path / "out.txt", "--level", level, "--blocksize", blocksize)
        assert done.returncode == 0, done.stderr.decode()
        expected = run_tool(tool, "sort", "-s", "-l", str(level), str(source))
        assert (tmp_path / "out.txt").read_bytes() == expected


def test_invalid_utf8_names_the_line_and_writes_nothing(tmp_path):
    source = tmp_path / "bad.txt"
    source.write_bytes(ORDERED.read_bytes() + b"\xed\xa0\x80\n")
    out = tmp_path / "out.txt"
    out.write_bytes(b"old")
    done = run_example(source, out, "--blocksize", 1000)
    assert done.returncode == 2
    lines = ORDERED.read_bytes().count(b"\n")
    assert done.stderr.decode().endswith(f"{source}:{lines + 1}: invalid UTF-8\n")
    assert out.read_bytes() == b"old"
    assert sorted(p.name for p in tmp_path.iterdir()) == ["bad.txt", "out.txt"]

"""examples/dask_sort.py writes what `zabrelo sort -s` writes, on a local
cluster of two workers and with blocks small enough to make several
partitions; and that the cluster it starts listens on 127.0.0.1 alone and
is gone once it ends, also when it is stopped by a signal."""
import signal
import subprocess
import sys
import time

import pytest
from conftest import ORDERED, ROOT, run_tool

pytest.importorskip("distributed")
psutil = pytest.importorskip("psutil")
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


def watch_example(source, out, stop_when_listening=False):
    """Runs the example, noting every process it starts and every address
    they listen on until it ends; with `stop_when_listening`, sends it
    SIGTERM as soon as something listens. Returns the exit status, the
    addresses and the processes that outlive it."""
    example = subprocess.Popen([sys.executable, str(EXAMPLE), "--workers", "2", "--blocksize", "2000",
                                str(source), str(out)], stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    parent = psutil.Process(example.pid)
    seen, addresses = {}, set()
    try:
        while example.poll() is None:
            try:
                for process in [parent] + parent.children(recursive=True):
                    seen.setdefault(process.pid, process)
                    addresses |= {c.laddr.ip for c in process.connections("inet") if c.status == psutil.CONN_LISTEN}
            except psutil.Error:
                pass  # a process that ended meanwhile
            if stop_when_listening and addresses:
                example.send_signal(signal.SIGTERM)
                stop_when_listening = False
            time.sleep(0.02)
        status = example.wait(timeout=300)
    finally:
        if example.poll() is None:
            example.kill()
    _, alive = psutil.wait_procs([p for pid, p in seen.items() if pid != example.pid], timeout=10)
    for process in alive:
        process.kill()
    return status, addresses, alive, example.stderr.read().decode()


@pytest.mark.parametrize("stopped", [False, True], ids=["to-the-end", "sigterm"])
def test_cluster_listens_on_loopback_alone_and_ends_with_the_example(tmp_path, ordered, stopped):
    source = tmp_path / "in.txt"
    source.write_text("\n".join(ordered * 20) + "\n", encoding="utf-8")
    out = tmp_path / "out.txt"
    status, addresses, alive, errors = watch_example(source, out, stop_when_listening=stopped)
    assert addresses, "nothing was seen listening: the watch missed the cluster"
    assert addresses == {"127.0.0.1"}, addresses
    assert not alive, f"still running after the example ended: {alive}"
    if stopped:
        assert status == 128 + signal.SIGTERM, errors
        assert sorted(p.name for p in tmp_path.iterdir()) == ["in.txt"]  # no OUT, no temporary file
    else:
        assert status == 0, errors

#!/usr/bin/env python3
"""Sorts the lines of a UTF-8 text file in Urdu dictionary order with Dask.

    python3 examples/dask_sort.py IN OUT [--scheduler ADDRESS] [--level N]
                                  [--workers N] [--blocksize BYTES]

OUT gets the same bytes as `zabrelo sort -s IN`: lines in the order of their
keys, lines with equal keys in input order, each line with its own line end
(LF or CR LF; a last line without one gets the end of the line before it, LF
when there is none), and a UTF-8 signature first when IN began with one.
Invalid UTF-8 stops it with the line's number, and OUT is then left alone.

The workers read IN in blocks, compute the keys with the zabrelo package,
and sort by key with Dask's own sort_values; the client writes the sorted
partitions one after another. Without --scheduler a LocalCluster on this
machine does the work: its scheduler, workers and their web servers listen
on 127.0.0.1 only, at ports the system picks, and they stop when the sort
ends, however it ends (an error, Ctrl-C, SIGTERM or SIGHUP). With
--scheduler (tcp://host:8786) that cluster does the work, and every worker
needs the zabrelo package and IN at the same path (or a URL that fsspec
reads, such as s3://bucket/words.txt).
"""
import argparse
import functools
import logging
import os
import signal
import sys
import tempfile

import dask
import dask.dataframe as dd
import fsspec
import pandas as pd
from dask.bytes import read_bytes
from distributed import Client, LocalCluster

SIGNATURE = b"\xef\xbb\xbf"
UNKNOWN_END = b"?"  # a last line without an end whose block holds no line before it


class InvalidUtf8(Exception):
    """Line `line` (1-based) of block `block` is not valid UTF-8."""

    def __init__(self, block, line):
        super().__init__(block, line)
        self.block, self.line = block, line


@functools.lru_cache(maxsize=None)
def collator(level):
    import zabrelo  # in the worker: every worker loads the table once

    return zabrelo.Collator(level=level)


def split_lines(data):
    """The lines of a block as (text bytes, end bytes). A CR before an LF
    belongs to the end; a last line without an LF takes the end of the line
    before it."""
    raw = data.split(b"\n")
    last = raw.pop()  # what follows the last LF: b"" when the block ends in one
    lines = [(line[:-1], b"\r\n") if line.endswith(b"\r") else (line, b"\n") for line in raw]
    if last:
        lines.append((last, lines[-1][1] if lines else UNKNOWN_END))
    return lines


def key_block(data, block, level):
    """One block as a DataFrame: the key, the position in the input, the line
    and its end. Runs in a worker."""
    if block == 0 and data.startswith(SIGNATURE):
        data = data[len(SIGNATURE):]
    lines = split_lines(data)
    texts = []
    for number, (line, _) in enumerate(lines):
        try:
            texts.append(line.decode("utf-8"))
        except UnicodeDecodeError:
            raise InvalidUtf8(block, number + 1) from None
    return pd.DataFrame({
        "key": pd.Series(collator(level).sort_keys(texts), dtype=object),
        # Blocks are read in file order and hold fewer than 2**32 lines each.
        "position": pd.Series([(block << 32) | n for n in range(len(lines))], dtype="int64"),
        "line": pd.Series([line for line, _ in lines], dtype=object),
        "end": pd.Series([end for _, end in lines], dtype=object),
    })


def by_key_then_position(frame, **_):
    # Equal keys all land in one partition; there they keep input order.
    return frame.sort_values(["key", "position"])


def count_lines(data):
    return data.count(b"\n")


def last_end(data):
    lines = split_lines(data)
    return lines[-1][1] if lines else UNKNOWN_END


def parse_arguments(argv):
    parser = argparse.ArgumentParser(description="Sort the lines of a UTF-8 file in Urdu order with Dask.")
    parser.add_argument("input", metavar="IN")
    parser.add_argument("output", metavar="OUT")
    parser.add_argument("--scheduler", help="address of a running Dask scheduler (default: a LocalCluster)")
    parser.add_argument("--level", type=int, default=3, choices=(1, 2, 3), help="levels to compare (default 3)")
    parser.add_argument("--workers", type=int, default=None, help="LocalCluster workers (default: Dask's choice)")
    parser.add_argument("--blocksize", default="64 MiB", help="bytes per block of IN (default 64 MiB)")
    return parser.parse_args(argv)


def sort_file(client, input_path, output, level, blocksize):
    """Writes the sorted lines of `input_path` to the open binary file `output`."""
    _, [blocks] = read_bytes(input_path, delimiter=b"\n", blocksize=blocksize, sample=False)
    with fsspec.open(input_path, "rb") as f:
        signature = f.read(len(SIGNATURE)) == SIGNATURE
    meta = pd.DataFrame({"key": pd.Series([], dtype=object), "position": pd.Series([], dtype="int64"),
                         "line": pd.Series([], dtype=object), "end": pd.Series([], dtype=object)})
    parts = [dask.delayed(key_block)(block, number, level) for number, block in enumerate(blocks)]
    frame = dd.from_delayed(parts, meta=meta, verify_meta=False)
    try:
        ordered = client.persist(frame.sort_values("key", sort_function=by_key_then_position))
        partitions = [ordered.get_partition(i).compute() for i in range(ordered.npartitions)]
    except InvalidUtf8 as error:
        before = sum(dask.compute(*[dask.delayed(count_lines)(b) for b in blocks[:error.block]]))
        raise InvalidUtf8(error.block, before + error.line) from None
    if signature:
        output.write(SIGNATURE)
    for part in partitions:
        ends = part["end"]
        if (ends == UNKNOWN_END).any():
            # The file's last line has no end, and its block no line before it.
            found = [e for e in dask.compute(*[dask.delayed(last_end)(b) for b in blocks[:-1]])
                     if e != UNKNOWN_END]
            ends = ends.replace(UNKNOWN_END, found[-1] if found else b"\n")
        output.write(b"".join(line + end for line, end in zip(part["line"], ends)))


def local_cluster(workers):
    """A cluster on this machine that no other machine can reach. Left to
    itself, distributed serves its web pages on 0.0.0.0:8787 (and each
    worker's on 0.0.0.0), even when asked for no dashboard: every address
    is given here."""
    return LocalCluster(n_workers=workers, threads_per_worker=1, host="127.0.0.1",
                        dashboard_address="127.0.0.1:0", worker_dashboard_address="127.0.0.1:0",
                        # The workers' own report of a failed task says no more than our message.
                        silence_logs=logging.ERROR)


def stop_on_signal(signum, _frame):
    # As an exception, so that the cluster's processes are stopped and the
    # temporary file removed on the way out, as on any other error.
    raise SystemExit(128 + signum)


def main(argv=None):
    for signum in (signal.SIGTERM, signal.SIGHUP):
        signal.signal(signum, stop_on_signal)
    args = parse_arguments(argv)
    name = os.path.basename(sys.argv[0])
    # The result goes to a new file beside OUT, which replaces OUT only once
    # it is complete: an error leaves OUT as it was.
    folder = os.path.dirname(os.path.abspath(args.output))
    handle, temporary = tempfile.mkstemp(prefix=".dask_sort-", dir=folder)
    umask = os.umask(0)
    os.umask(umask)
    os.chmod(temporary, 0o666 & ~umask)  # as a file the shell had created
    try:
        with os.fdopen(handle, "wb") as output:
            if args.scheduler:
                with Client(args.scheduler) as client:
                    sort_file(client, args.input, output, args.level, args.blocksize)
            else:
                with local_cluster(args.workers) as cluster, Client(cluster) as client:
                    sort_file(client, args.input, output, args.level, args.blocksize)
        os.replace(temporary, args.output)
    except InvalidUtf8 as error:
        print(f"{name}: {args.input}:{error.line}: invalid UTF-8", file=sys.stderr)
        return 2
    except OSError as error:
        print(f"{name}: {error}", file=sys.stderr)
        return 2
    finally:
        if os.path.exists(temporary):
            os.unlink(temporary)
    return 0


if __name__ == "__main__":
    sys.exit(main())

"""The package's face: making a collator, its errors, its arguments."""
import os
import pathlib
import pickle
import re
import subprocess
import sys

import pytest
import zabrelo
from conftest import ROOT

TINY_TABLE = b"FA=\r\n[0627][1,2,3]\r\n[0644][7,1,1]\r\n"


def test_a_table_by_path(tmp_path):
    path = tmp_path / "tiny.txt"
    path.write_bytes(TINY_TABLE)
    for table in (path, str(path), os.fsencode(path)):
        c = zabrelo.Collator(table, level=2)
        assert c.sort_key("\u0627\u0644") == b"\x01\x07\x02\x01"
        assert c.table == os.fspath(table) and c.level == 2
    assert repr(zabrelo.Collator(str(path))) == f"zabrelo.Collator(table={str(path)!r}, level=3)"
    assert repr(zabrelo.Collator()) == "zabrelo.Collator(table=None, level=3)"


@pytest.mark.parametrize("content, error, message", [
    (None, FileNotFoundError, "No such file"),
    (b"", ValueError, "no header, or a line without a weight field"),
    (b"FA=\r\n[0627][1,2,3]\r\n[0644]", ValueError, "no header, or a line without a weight field"),
    ("کتاب\nقلم\n".encode(), ValueError, "gives no letter a weight"),
])
def test_tables_that_cannot_serve(tmp_path, content, error, message):
    path = tmp_path / "table.txt"
    if content is not None:
        path.write_bytes(content)
    with pytest.raises(error, match=message) as raised:
        zabrelo.Collator(path)
    assert str(path) in str(raised.value)


def test_a_folder_is_no_table(tmp_path):
    with pytest.raises(IsADirectoryError):
        zabrelo.Collator(tmp_path)


@pytest.mark.skipif(not hasattr(os, "mkfifo"), reason="no FIFOs here")
def test_what_never_ends_or_never_opens_is_refused_at_once(tmp_path):
    fifo = tmp_path / "fifo"
    os.mkfifo(fifo)
    for path in (fifo, "/dev/zero"):
        with pytest.raises(OSError, match="not a regular file"):
            zabrelo.Collator(path)


def test_a_collator_cannot_be_initialized_again(collator):
    for arguments in (("/nonexistent",), (None, 1)):
        with pytest.raises(TypeError, match="cannot be called again"):
            collator.__init__(*arguments)
    assert collator.table is None and collator.level == 3


@pytest.mark.parametrize("call", [
    lambda c: c.sort_key(b"kitab"), lambda c: c.sort_key(None), lambda c: c.compare("a", 1),
    lambda c: c.sort_keys(["a", b"b"]), lambda c: c.sorted(["a", 1]), lambda c: c.sorted(5),
    lambda c: c.sort_key("a", level=1.0), lambda c: c.sort_key("a", "3"), lambda c: zabrelo.Collator(42),
    lambda c: c.sort_key(), lambda c: c.sort_key("a", 1, 2), lambda c: c.sort_key("a", lvl=1),
    lambda c: c.sort_key("a", text="b"), lambda c: c.sorted(["a"], True), lambda c: c.compare("a"),
])
def test_wrong_arguments_raise_type_error(collator, call):
    with pytest.raises(TypeError):
        call(collator)


def test_arguments_by_keyword(collator):
    key = collator.sort_key("کِتاب", 1)
    assert collator.sort_key(text="کِتاب", level=1) == key
    assert collator.compare(b="ب", a="ا", level=1) == -1
    assert collator.sort_keys(iterable=["کِتاب"], level=1) == [key]
    assert collator.sorted(iterable=["ب", "ا"], reverse=True, level=1) == ["ب", "ا"]


def test_sorted_takes_any_iterable_and_returns_a_new_list(collator):
    words = ["ب", "ا", "پ"]
    for given in (words, tuple(words), iter(words), (w for w in words), {w: 1 for w in words}):
        assert collator.sorted(given) == ["ا", "ب", "پ"]
    assert collator.sorted(words) is not words and words == ["ب", "ا", "پ"]
    assert collator.sorted([]) == [] and collator.sort_keys(()) == []


def test_module_functions_use_the_bundled_table(collator):
    assert zabrelo.sort_key("کِتاب") == collator.sort_key("کِتاب")
    assert zabrelo.sort_key("کِتاب", level=1) == collator.sort_key("کِتاب", 1)
    assert zabrelo.sorted(["ب", "ا"], reverse=True) == ["ب", "ا"]
    bundled = pathlib.Path(zabrelo.__file__).with_name("UrduCOdepage.txt")
    assert bundled.read_bytes() == (ROOT / "data" / "UrduCOdepage.txt").read_bytes()


def test_version_is_the_librarys():
    cmake = (ROOT / "CMakeLists.txt").read_text()
    assert zabrelo.__version__ == re.search(r"project\(Zabrelo VERSION ([0-9.]+)", cmake).group(1)


def test_pickling_loads_the_table_again(tmp_path):
    path = tmp_path / "tiny.txt"
    path.write_bytes(TINY_TABLE)
    for c in (zabrelo.Collator(level=1), zabrelo.Collator(path, level=2), zabrelo.Collator(natural=True),
              zabrelo.Collator(path, classic=True, natural=True)):
        copy = pickle.loads(pickle.dumps(c))
        assert repr(copy) == repr(c) and copy.sort_key("\u0627\u0644") == c.sort_key("\u0627\u0644")


def test_a_subclass_keeps_working():
    class Mine(zabrelo.Collator):
        pass

    assert Mine(level=1).sort_key("ب") == zabrelo.sort_key("ب", 1)
    assert repr(Mine()).startswith("Mine(table=None")


@pytest.mark.parametrize("orders, shown", [
    ({}, ""), ({"classic": True}, ", classic=True"), ({"natural": True}, ", natural=True"),
    ({"classic": 1, "natural": "yes"}, ", classic=True, natural=True"),
])
def test_the_orders_asked_for_are_the_ones_opened(orders, shown):
    # The attributes read the options back from the opened table.
    c = zabrelo.Collator(**orders)
    assert (c.classic, c.natural) == (bool(orders.get("classic")), bool(orders.get("natural")))
    assert repr(c) == f"zabrelo.Collator(table=None, level=3{shown})"


def test_the_orders_are_keyword_only():
    with pytest.raises(TypeError):
        zabrelo.Collator(None, 3, True)


def test_the_default_table_is_the_one_zabrelo_table_names(tmp_path, monkeypatch):
    path = tmp_path / "tiny.txt"
    path.write_bytes(TINY_TABLE)
    monkeypatch.setenv("ZABRELO_TABLE", str(path))
    assert zabrelo.Collator(level=2).sort_key("\u0627\u0644") == b"\x01\x07\x02\x01"
    monkeypatch.setenv("ZABRELO_TABLE", "")
    assert zabrelo.Collator().sort_key("\u0627") == zabrelo.Collator(ROOT / "data" / "UrduCOdepage.txt").sort_key("\u0627")
    (tmp_path / "empty.txt").write_bytes(b"")
    for name, error in (("missing.txt", FileNotFoundError), ("empty.txt", ValueError)):
        monkeypatch.setenv("ZABRELO_TABLE", str(tmp_path / name))
        with pytest.raises(error, match=name):
            zabrelo.Collator()


def test_a_bad_zabrelo_table_fails_at_first_use_not_at_import(tmp_path):
    script = "import zabrelo\ntry:\n    zabrelo.sort_key('ب')\nexcept FileNotFoundError as e:\n    print(e)"
    environment = dict(os.environ, ZABRELO_TABLE=str(tmp_path / "missing.txt"))
    printed = subprocess.run([sys.executable, "-c", script], env=environment, stdout=subprocess.PIPE, check=True)
    assert "missing.txt" in printed.stdout.decode()

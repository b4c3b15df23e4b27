"""The C interface as Python's ctypes sees it: the built library loaded by
path, its keys and comparisons checked against the zabrelo command's keys
(GetCollationKey of the C++ API) on the test word lists, and the open
detail read through a ctypes Structure of the documented layout.

usage: ctypes_test.py LIBZABRELO ZABRELO_COMMAND TABLE DATA_DIR
Standard library only; exits 1 on the first failing check.
"""
import ctypes
import os
import subprocess
import sys
import unittest

LIBRARY, COMMAND, TABLE, DATA = sys.argv[1:5]

OK, INVALID_ARGUMENT, CANNOT_OPEN, NOT_A_TABLE, INVALID_UTF8, BUFFER_TOO_SMALL, OUT_OF_MEMORY = range(7)
NUL_TERMINATED = ctypes.c_size_t(-1).value


class OpenDetail(ctypes.Structure):
    _fields_ = [("status", ctypes.c_int), ("line", ctypes.c_int), ("file", ctypes.c_char * 1024),
                ("message", ctypes.c_char * 1024), ("report", ctypes.c_char * 1024)]


CLASSIC_ORDER = 1

def load(path):
    lib = ctypes.CDLL(path)
    collator = ctypes.c_void_p
    size = ctypes.c_size_t
    signatures = {
        "zabrelo_open": (ctypes.c_int, [ctypes.c_char_p, ctypes.POINTER(collator)]),
        "zabrelo_open_detailed": (ctypes.c_int, [ctypes.c_char_p, ctypes.POINTER(collator),
                                                 ctypes.POINTER(OpenDetail)]),
        "zabrelo_open_ex": (ctypes.c_int, [ctypes.c_char_p, ctypes.c_uint, ctypes.POINTER(collator),
                                           ctypes.POINTER(OpenDetail), ctypes.c_void_p, ctypes.c_void_p]),
        "zabrelo_close": (None, [collator]),
        "zabrelo_key16": (ctypes.c_int, [collator, ctypes.POINTER(ctypes.c_uint16), size, ctypes.c_int,
                                         ctypes.POINTER(ctypes.c_uint8), size, ctypes.POINTER(size)]),
        "zabrelo_key8": (ctypes.c_int, [collator, ctypes.c_char_p, size, ctypes.c_int,
                                        ctypes.POINTER(ctypes.c_uint8), size, ctypes.POINTER(size)]),
        "zabrelo_compare16": (ctypes.c_int, [collator, ctypes.POINTER(ctypes.c_uint16), size,
                                             ctypes.POINTER(ctypes.c_uint16), size, ctypes.c_int]),
        "zabrelo_compare8": (ctypes.c_int, [collator, ctypes.c_char_p, size, ctypes.c_char_p, size, ctypes.c_int,
                                            ctypes.POINTER(ctypes.c_int)]),
        "zabrelo_status_message": (ctypes.c_char_p, [ctypes.c_int]),
        "zabrelo_version": (ctypes.c_char_p, []),
    }
    for name, (result, arguments) in signatures.items():
        function = getattr(lib, name)
        function.restype = result
        function.argtypes = arguments
    return lib


def units(text):
    data = text.encode("utf-16-le")
    return (ctypes.c_uint16 * (len(data) // 2)).from_buffer_copy(data), len(data) // 2


def read_words():
    words = []
    with open(os.path.join(DATA, "urdu-ordered.txt"), encoding="utf-8") as f:
        words += [line.rstrip("\r\n") for line in f]
    with open(os.path.join(DATA, "urdu-level1-groups.txt"), encoding="utf-8") as f:
        for line in f:
            words += line.rstrip("\r\n").split("\t")
    # Marks and letter variants the lists lack, a space, and units the table does not weigh.
    words += ["\u0622\u0628 \u062F\u0627\u0631", "\u06C2\u200C\u0627", "abc", "\U0001F600\u0627", ""]
    return [w for w in words if w]


def command_keys(words, level):
    """The zabrelo command's keys in the classic order: one line per word, a hex group per level."""
    out = subprocess.run([COMMAND, "key", "--classic", "--table", TABLE, "-l", str(level)], input="\n".join(words).encode("utf-8"),
                         stdout=subprocess.PIPE, check=True).stdout.decode("ascii").splitlines()
    assert len(out) == len(words), (len(out), len(words))
    return [bytes.fromhex(line.replace(" ", "")) for line in out]


class CInterfaceTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.lib = load(LIBRARY)
        cls.collator = ctypes.c_void_p()
        # The command's --classic order is ZabreloLib's, as this collator's is.
        status = cls.lib.zabrelo_open_ex(TABLE.encode(), CLASSIC_ORDER, ctypes.byref(cls.collator), None, None, None)
        assert status == OK, status
        cls.words = read_words()
        cls.keys = {level: command_keys(cls.words, level) for level in (1, 2, 3)}

    @classmethod
    def tearDownClass(cls):
        cls.lib.zabrelo_close(cls.collator)

    def key16(self, text, level):
        array, count = units(text)
        size = ctypes.c_size_t()
        status = self.lib.zabrelo_key16(self.collator, array, count, level, None, 0, ctypes.byref(size))
        self.assertIn(status, (OK, BUFFER_TOO_SMALL))
        key = (ctypes.c_uint8 * max(size.value, 1))()
        self.assertEqual(self.lib.zabrelo_key16(self.collator, array, count, level, key, size.value,
                                                ctypes.byref(size)), OK)
        return bytes(key[:size.value])

    def key8(self, data, level, capacity=256):
        key = (ctypes.c_uint8 * capacity)()
        size = ctypes.c_size_t(99)
        status = self.lib.zabrelo_key8(self.collator, data, len(data), level, key, capacity, ctypes.byref(size))
        return status, bytes(key[:size.value])

    def test_keys_are_the_cpp_api_keys(self):
        for level in (1, 2, 3):
            for word, expected in zip(self.words, self.keys[level]):
                self.assertEqual(self.key16(word, level), expected, (word, level))
                self.assertEqual(self.key8(word.encode("utf-8"), level), (OK, expected), (word, level))

    def test_compare_is_key_order_and_tie_rule(self):
        keys = self.keys[3]
        for i in range(1, len(self.words)):
            for a, b, ka, kb in ((i - 1, i, keys[i - 1], keys[i]), (i, i - 1, keys[i], keys[i - 1])):
                wa, wb = self.words[a], self.words[b]
                (ua, na), (ub, nb) = units(wa), units(wb)
                expected = -1 if ka < kb else 1 if ka > kb else (-1 if na < nb else 0)
                self.assertEqual(self.lib.zabrelo_compare16(self.collator, ua, na, ub, nb, 3), expected, (wa, wb))
                result = ctypes.c_int(7)
                ba, bb = wa.encode("utf-8"), wb.encode("utf-8")
                self.assertEqual(self.lib.zabrelo_compare8(self.collator, ba, len(ba), bb, len(bb), 3,
                                                           ctypes.byref(result)), OK)
                self.assertEqual(result.value, expected, (wa, wb))

    def test_utf8_refusals_and_terminated_texts(self):
        for bad in (b"\xc0\xaf", b"\xed\xa0\x80", b"\xf4\x90\x80\x80", b"\xd8", b"\xd8\xa7\x80"):
            self.assertEqual(self.key8(bad, 3), (INVALID_UTF8, b""), bad)
        word = "\u06A9\u062A\u0627\u0628".encode("utf-8")
        key = (ctypes.c_uint8 * 64)()
        size = ctypes.c_size_t()
        self.assertEqual(self.lib.zabrelo_key8(self.collator, word, NUL_TERMINATED, 3, key, 64, ctypes.byref(size)),
                         OK)
        self.assertEqual(bytes(key[:size.value]), self.key8(word, 3)[1])
        status, prefix = self.key8(word, 3, capacity=2)
        self.assertEqual((status, prefix[:2]), (BUFFER_TOO_SMALL, self.key8(word, 3)[1][:2]))

    def test_open_detail_layout(self):
        detail = OpenDetail()
        collator = ctypes.c_void_p(1)
        missing = os.path.join(os.getcwd(), "ctypes-missing.txt")
        self.assertEqual(self.lib.zabrelo_open_detailed(missing.encode(), ctypes.byref(collator),
                                                        ctypes.byref(detail)), CANNOT_OPEN)
        self.assertIsNone(collator.value)
        self.assertEqual((detail.status, detail.line, detail.file), (CANNOT_OPEN, 0, missing.encode()))
        self.assertEqual(detail.message, (missing + ": No such file or directory").encode())
        self.assertTrue(detail.report.startswith(b"Error Code (0x10) in "), detail.report)
        self.assertEqual(self.lib.zabrelo_status_message(CANNOT_OPEN), b"cannot open the table file")
        self.assertRegex(self.lib.zabrelo_version().decode(), r"^\d+\.\d+\.\d+$")


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=1)

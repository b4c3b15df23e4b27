// FileReader beyond the core: UTF-16 reads in mode 0, buffer reads in any
// mode, positioning, size and the existence test, checked on byte-exact
// files, with the order of the error tests and what survives a raise.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <initializer_list>
#include <iterator>
#include <string>

#include "TestFiles.h"
#include "zabrelo/FileReader.h"

namespace {

using zabrelo_test::TempDir;

std::string Bytes(std::initializer_list<int> values) {
    std::string bytes;
    for (int v : values) bytes.push_back(static_cast<char>(v));
    return bytes;
}

const std::string kMark = Bytes({0xFF, 0xFE});

class FileReaderUnicodeTest : public ::testing::Test {
protected:
    void OpenWith(const std::string& bytes, int mode) {
        ASSERT_TRUE(reader_.Open(dir_.Write("f.bin", bytes).c_str(), mode));
    }
    TempDir dir_;
    FileReader reader_;
};

// One call on a fresh mode-0 reader: result, text and end-of-file state.
struct UnitReadCase {
    const char* why;
    std::string text;  // bytes after the mark
    int count;
    std::u16string out;  // "old" when the call must leave it alone
    bool result;
    bool eof;
};

TEST_F(FileReaderUnicodeTest, ReadUnicodeUntilOutcomes) {
    const UnitReadCase kCases[] = {
        {"delimiter ends the text", Bytes({0x41, 0, 0x0A, 0, 0x42, 0}), 512, u"A", true, false},
        {"all 16 bits compared", Bytes({0x0A, 0x01, 0x0A, 0}), 512, u"\u010A", true, false},
        {"count reached first", Bytes({0x41, 0, 0x42, 0, 0x0A, 0}), 1, u"A", true, false},
        {"count 0 reads nothing", Bytes({0x41, 0}), 0, u"old", false, false},
        {"negative count reads nothing", Bytes({0x41, 0}), -3, u"old", false, false},
        {"delimiter first", Bytes({0x0A, 0, 0x41, 0}), 512, u"old", false, false},
        {"lone trailing byte dropped", Bytes({0x41, 0, 0x42}), 512, u"A", true, true},
        {"no text", "", 512, u"old", false, true},
        {"only a lone byte", Bytes({0x41}), 512, u"old", false, true},
        {"units are not decoded", Bytes({0x3D, 0xD8, 0xFF, 0xFF}), 512,
         std::u16string{char16_t(0xD83D), char16_t(0xFFFF)}, true, true},
    };
    for (const UnitReadCase& c : kCases) {
        SCOPED_TRACE(c.why);
        OpenWith(kMark + c.text, 0);
        std::u16string out = u"old";
        EXPECT_EQ(reader_.ReadUnicodeUntil(out, c.count, u'\n'), c.result);
        EXPECT_EQ(out, c.out);
        EXPECT_EQ(reader_.IsEOF(), c.eof);
    }
}

TEST_F(FileReaderUnicodeTest, ReadUnicodeOutcomes) {
    const UnitReadCase kCases[] = {
        {"0x0000 is text", Bytes({0, 0, 0x41, 0, 0x42, 0}), 2, std::u16string{0, u'A'}, true, false},
        {"fewer units than asked", Bytes({0x41, 0}), 5, u"A", true, true},
        {"lone trailing byte dropped", Bytes({0x41, 0, 0x42}), 5, u"A", true, true},
        {"count 0", Bytes({0x41, 0}), 0, u"old", false, false},
        {"negative count", Bytes({0x41, 0}), -1, u"old", false, false},
        {"only a lone byte", Bytes({0x41}), 3, u"old", false, true},
    };
    for (const UnitReadCase& c : kCases) {
        SCOPED_TRACE(c.why);
        OpenWith(kMark + c.text, 0);
        std::u16string out = u"old";
        EXPECT_EQ(reader_.ReadUnicode(out, c.count), c.result);
        EXPECT_EQ(out, c.out);
        EXPECT_EQ(reader_.IsEOF(), c.eof);
    }
}

TEST_F(FileReaderUnicodeTest, DelimitedReadsRunToTheEndOfTheFile) {
    OpenWith(kMark + Bytes({0x41, 0, 0x0A, 0, 0x42, 0}), 0);
    std::u16string out;
    EXPECT_TRUE(reader_.ReadUnicodeUntil(out, 512, u'\n'));
    EXPECT_EQ(out, u"A");
    EXPECT_TRUE(reader_.ReadUnicodeUntil(out, 512, u'\n'));
    EXPECT_EQ(out, u"B");
    EXPECT_TRUE(reader_.IsEOF());
    EXPECT_IO_ERROR(reader_.ReadUnicodeUntil(out, 512, u'\n'), 17, "End of file encountered.");
    EXPECT_IO_ERROR(reader_.ReadUnicode(out, 1), 17, "End of file encountered.");
    EXPECT_EQ(out, u"B");
}

TEST_F(FileReaderUnicodeTest, ModeErrorsComeAfterTheEndOfFileAndChangeNothing) {
    OpenWith("abcd", 1);
    std::u16string wide = u"old";
    EXPECT_IO_ERROR(reader_.ReadUnicodeUntil(wide, 512, u'\n'), 17,
                    "File not openned as UNICODE initially.");
    EXPECT_IO_ERROR(reader_.ReadUnicode(wide, 1), 17, "File not openned as Unicode initially.");
    EXPECT_IO_ERROR(reader_.StepBackUnicode(1), 17, "File not openned as Unicode initially.");
    EXPECT_EQ(wide, u"old");
    std::string out;
    ASSERT_TRUE(reader_.ReadUntil(out, 512, '\n'));  // nothing was read or moved
    EXPECT_EQ(out, "abcd");
    EXPECT_IO_ERROR(reader_.ReadUnicode(wide, 1), 17, "End of file encountered.");
    EXPECT_TRUE(reader_.IsEOF());

    // A mode-0 reader that met the end reports that, not the mode.
    OpenWith(kMark, 0);
    EXPECT_FALSE(reader_.ReadUnicode(wide, 1));
    EXPECT_IO_ERROR(reader_.ReadUntil(out, 512, '\n'), 17, "End of file encountered.");
    EXPECT_IO_ERROR(reader_.StepBack(1), 17, "File not openned as ASCII initially.");  // no end test
    EXPECT_TRUE(reader_.IsEOF());

    // Any other mode value admits only the mode-free reads.
    OpenWith("abcd", 7);
    EXPECT_IO_ERROR(reader_.ReadUnicodeUntil(wide, 512, u'\n'), 17,
                    "File not openned as UNICODE initially.");
    EXPECT_IO_ERROR(reader_.ReadUnicode(wide, 1), 17, "File not openned as Unicode initially.");
    EXPECT_IO_ERROR(reader_.StepBack(1), 17, "File not openned as ASCII initially.");
    EXPECT_IO_ERROR(reader_.StepBackUnicode(1), 17, "File not openned as Unicode initially.");
    char16_t units[2] = {u'x', u'x'};
    EXPECT_TRUE(reader_.ReadUnits(units, 2));
    EXPECT_EQ(units[1], 0x6463);
}

TEST_F(FileReaderUnicodeTest, ClosedReaderRaisesOnlyForABadBuffer) {
    unsigned char bytes[4] = {1, 2, 3, 4};
    char16_t units[2] = {9, 9};
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round == 0 ? "never opened" : "closed");
        std::u16string out = u"old";
        EXPECT_FALSE(reader_.ReadUnicodeUntil(out, 512, u'\n'));
        EXPECT_FALSE(reader_.ReadUnicode(out, 1));
        EXPECT_EQ(out, u"old");
        EXPECT_FALSE(reader_.ReadBytes(bytes, 4));
        EXPECT_FALSE(reader_.ReadUnits(units, 2));
        EXPECT_FALSE(reader_.ReadAt(bytes, 0, 4));
        EXPECT_EQ(units[0], 9);  // left alone: nothing was read
        EXPECT_FALSE(reader_.Seek(0));
        EXPECT_FALSE(reader_.StepBack(1));
        EXPECT_FALSE(reader_.StepBackUnicode(1));
        EXPECT_EQ(reader_.GetSize(), 0);
        EXPECT_IO_ERROR(reader_.ReadBytes(nullptr, 4), 17, "Null buffer or zero size specified.");
        EXPECT_IO_ERROR(reader_.ReadUnits(units, 0), 17, "Null buffer or zero size specified.");
        EXPECT_IO_ERROR(reader_.ReadAt(bytes, 0, -1), 17, "Null buffer or zero size specified.");
        OpenWith("ab", 1);
        reader_.Close();
    }
}

TEST_F(FileReaderUnicodeTest, BufferTestsComeBeforeTheEndOfFile) {
    OpenWith("a", 1);
    unsigned char bytes[2] = {7, 7};
    char16_t units[1] = {7};
    ASSERT_TRUE(reader_.ReadBytes(bytes, 2));
    ASSERT_TRUE(reader_.IsEOF());
    EXPECT_IO_ERROR(reader_.ReadBytes(bytes, 0), 17, "Null buffer or zero size specified.");
    EXPECT_IO_ERROR(reader_.ReadUnits(nullptr, 1), 17, "Null buffer or zero size specified.");
    EXPECT_IO_ERROR(reader_.ReadUnits(units, 1), 17, "End of file encountered.");
    EXPECT_EQ(units[0], 7);  // a raising read writes nothing
    EXPECT_IO_ERROR(reader_.ReadAt(bytes, 0, 1), 17, "End of file encountered.");
}

TEST_F(FileReaderUnicodeTest, ReadBytesDeliversWhatRemainsAndNoMore) {
    OpenWith(kMark + "abcdefg", 0);
    unsigned char buffer[10];
    std::fill(std::begin(buffer), std::end(buffer), 0xAA);
    ASSERT_TRUE(reader_.ReadBytes(buffer, 3));  // odd counts are fine in mode 0
    EXPECT_EQ(std::string(buffer, buffer + 4), "abc\xAA");
    EXPECT_FALSE(reader_.IsEOF());

    std::fill(std::begin(buffer), std::end(buffer), 0xAA);
    ASSERT_TRUE(reader_.ReadBytes(buffer, 10));  // 4 remain
    EXPECT_EQ(std::string(buffer, buffer + 10), "defg\xAA\xAA\xAA\xAA\xAA\xAA");
    EXPECT_TRUE(reader_.IsEOF());
    EXPECT_IO_ERROR(reader_.ReadBytes(buffer, 1), 17, "End of file encountered.");

    OpenWith("ab", 1);  // exactly what remains: the end is found by the next read
    EXPECT_TRUE(reader_.ReadBytes(buffer, 2));
    EXPECT_FALSE(reader_.IsEOF());
    EXPECT_FALSE(reader_.ReadBytes(buffer, 2));
    EXPECT_TRUE(reader_.IsEOF());
}

TEST_F(FileReaderUnicodeTest, ReadUnitsPairsBytesFirstLowInEitherMode) {
    struct Case { const char* why; std::string bytes; int mode; int count;
                  bool result; char16_t first, second; bool eof; };
    const Case kCases[] = {
        {"mode 1 pairs bytes", Bytes({0x41, 0x42, 0x43, 0x44}), 1, 2, true, 0x4241, 0x4443, false},
        {"mode 0 skips the mark", kMark + Bytes({0x2C, 0x06}), 0, 1, true, 0x062C, 0xEEEE, false},
        {"short file: stops, rest untouched", Bytes({0x41, 0x42, 0x43}), 1, 4, true, 0x4241, 0xEEEE, true},
        {"one byte left: 0 stored, false", Bytes({0x41}), 1, 3, false, 0, 0xEEEE, true},
        {"empty: 0 stored, false", kMark, 0, 1, false, 0, 0xEEEE, true},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.why);
        OpenWith(c.bytes, c.mode);
        char16_t units[4] = {0xEEEE, 0xEEEE, 0xEEEE, 0xEEEE};
        EXPECT_EQ(reader_.ReadUnits(units, c.count), c.result);
        EXPECT_EQ(units[0], c.first);
        EXPECT_EQ(units[1], c.second);
        EXPECT_EQ(reader_.IsEOF(), c.eof);
    }
}

TEST_F(FileReaderUnicodeTest, SeekCountsFromAfterTheMarkInMode0) {
    const std::string file = kMark + Bytes({0x41, 0, 0x42, 0, 0x43, 0});
    struct Case { const char* why; int mode; int position; bool result; char16_t unit; };
    const Case kCases[] = {
        {"mode 0, start of the text", 0, 0, true, 0x0041},
        {"mode 0, unit 1 at 2", 0, 2, true, 0x0042},
        {"mode 0, second byte of unit 1", 0, 3, true, 0x4300},
        {"mode 1 counts the mark", 1, 0, true, 0xFEFF},
        {"mode 1, odd position", 1, 1, true, 0x41FE},
        {"negative: refused, stays put", 0, -1, false, 0x0041},
        {"other modes do not move", 5, 4, true, 0xFEFF},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.why);
        OpenWith(file, c.mode);
        EXPECT_EQ(reader_.Seek(c.position), c.result);
        char16_t unit = 0;
        EXPECT_TRUE(reader_.ReadUnits(&unit, 1));
        EXPECT_EQ(unit, c.unit);
    }
}

TEST_F(FileReaderUnicodeTest, SeekAtTheEndOfTheFileReportsThatItCannotMove) {
    OpenWith("abc", 1);
    std::string out;
    reader_.ReadUntil(out, 512, '\n');
    ASSERT_TRUE(reader_.IsEOF());
    EXPECT_FALSE(reader_.Seek(0));
    EXPECT_TRUE(reader_.IsEOF());
    EXPECT_IO_ERROR(reader_.ReadUntil(out, 512, '\n'), 17, "End of file encountered.");

    OpenWith("abc", 1);  // past the end is a place; the read there finds the end
    EXPECT_TRUE(reader_.Seek(100));
    unsigned char byte = 0;
    EXPECT_FALSE(reader_.ReadBytes(&byte, 1));
    EXPECT_TRUE(reader_.IsEOF());
}

TEST_F(FileReaderUnicodeTest, ReadAtMovesFirstAndRaisesAtTheEndOfTheFile) {
    OpenWith("abcdef", 1);
    unsigned char buffer[4] = {0, 0, 0, 0};
    EXPECT_TRUE(reader_.ReadAt(buffer, 4, 4));  // 2 remain
    EXPECT_EQ(std::string(buffer, buffer + 4), std::string("ef\0\0", 4));
    EXPECT_TRUE(reader_.IsEOF());
    EXPECT_IO_ERROR(reader_.ReadAt(buffer, 0, 2), 17, "End of file encountered.");
    EXPECT_TRUE(reader_.StepBack(1));
    EXPECT_TRUE(reader_.ReadAt(buffer, 0, 2));
    EXPECT_EQ(std::string(buffer, buffer + 2), "ab");
    EXPECT_FALSE(reader_.ReadAt(buffer, -2, 2));  // refused: nothing read, nothing moved
    EXPECT_EQ(std::string(buffer, buffer + 2), "ab");
    EXPECT_TRUE(reader_.ReadBytes(buffer, 1));
    EXPECT_EQ(buffer[0], 'c');
    EXPECT_FALSE(reader_.ReadAt(buffer, 6, 2));  // at the very end
    EXPECT_TRUE(reader_.IsEOF());

    OpenWith(kMark + "xyz", 0);
    EXPECT_TRUE(reader_.ReadAt(buffer, 1, 2));
    EXPECT_EQ(std::string(buffer, buffer + 2), "yz");

    OpenWith("abc", 3);  // no positions in other modes: reads where it is
    ASSERT_TRUE(reader_.ReadBytes(buffer, 1));
    EXPECT_TRUE(reader_.ReadAt(buffer, 0, 1));
    EXPECT_EQ(buffer[0], 'b');
}

TEST_F(FileReaderUnicodeTest, GetSizeCountsTheMarkAndKeepsThePosition) {
    OpenWith(kMark + Bytes({0x41, 0, 0x42, 0, 0x43, 0, 0x44, 0}), 0);
    std::u16string out;
    ASSERT_TRUE(reader_.ReadUnicode(out, 1));
    EXPECT_EQ(reader_.GetSize(), 10);
    ASSERT_TRUE(reader_.ReadUnicode(out, 9));
    EXPECT_EQ(out, u"BCD");  // read on from where it was
    ASSERT_TRUE(reader_.IsEOF());
    EXPECT_EQ(reader_.GetSize(), -1);  // callers test for it
    EXPECT_TRUE(reader_.IsEOF());
    EXPECT_TRUE(reader_.StepBackUnicode(1));
    EXPECT_EQ(reader_.GetSize(), 10);
    EXPECT_TRUE(reader_.ReadUnicode(out, 9));
    EXPECT_EQ(out, u"D");
}

TEST_F(FileReaderUnicodeTest, StepBackRereadsTheSameBytes) {
    OpenWith("abcd", 1);
    std::string out;
    ASSERT_TRUE(reader_.ReadUntil(out, 2, '\n'));
    EXPECT_TRUE(reader_.StepBack(2));
    ASSERT_TRUE(reader_.ReadUntil(out, 2, '\n'));
    EXPECT_EQ(out, "ab");
    EXPECT_TRUE(reader_.StepBack(-1));  // negative: forward
    ASSERT_TRUE(reader_.ReadUntil(out, 512, '\n'));
    EXPECT_EQ(out, "d");
    ASSERT_TRUE(reader_.IsEOF());
    EXPECT_TRUE(reader_.StepBack(1));  // leaves the end of the file
    EXPECT_FALSE(reader_.IsEOF());
    ASSERT_TRUE(reader_.ReadUntil(out, 512, '\n'));
    EXPECT_EQ(out, "d");

    OpenWith(kMark + Bytes({0x41, 0, 0x42, 0}), 0);
    std::u16string wide;
    ASSERT_TRUE(reader_.ReadUnicode(wide, 2));
    EXPECT_TRUE(reader_.StepBackUnicode(1));  // one unit is two bytes
    ASSERT_TRUE(reader_.ReadUnicode(wide, 2));
    EXPECT_EQ(wide, u"B");
}

TEST_F(FileReaderUnicodeTest, StepBackBeforeTheStartIsRefusedAndChangesNothing) {
    struct Case { const char* why; int mode; int read; int count; };
    const Case kCases[] = {
        {"one byte too far", 1, 2, 3}, {"huge count", 1, 2, INT_MAX},
        {"past the mark", 0, 2, 3}, {"huge unit count", 0, 2, INT_MAX},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.why);
        OpenWith(kMark + "abcd", c.mode);
        unsigned char buffer[2];
        ASSERT_TRUE(reader_.ReadBytes(buffer, c.read));
        EXPECT_FALSE(c.mode == 1 ? reader_.StepBack(c.count) : reader_.StepBackUnicode(c.count));
        ASSERT_TRUE(reader_.ReadBytes(buffer, 1));  // later reads continue from there
        EXPECT_EQ(buffer[0], c.mode == 1 ? 'a' : 'c');
    }

    OpenWith("ab", 1);  // at the end of the file it stays there
    unsigned char buffer[4];
    ASSERT_TRUE(reader_.ReadBytes(buffer, 4));
    EXPECT_FALSE(reader_.StepBack(3));
    EXPECT_TRUE(reader_.IsEOF());
    EXPECT_TRUE(reader_.StepBack(2));
    ASSERT_TRUE(reader_.ReadBytes(buffer, 1));
    EXPECT_EQ(buffer[0], 'a');
}

TEST_F(FileReaderUnicodeTest, FileExistsNeedsAnOpenableFile) {
    const std::string path = dir_.Write("here.txt", "abc");
    EXPECT_TRUE(FileReader::FileExists(path.c_str()));
    EXPECT_FALSE(FileReader::FileExists(dir_.Path("missing.txt").c_str()));
    EXPECT_FALSE(FileReader::FileExists(dir_.Root().string().c_str()));  // Open refuses it too
    EXPECT_FALSE(FileReader::FileExists(nullptr));
    EXPECT_FALSE(FileReader::FileExists(""));

    ASSERT_TRUE(reader_.Open(path.c_str(), 1));
    std::string out;
    ASSERT_TRUE(reader_.ReadUntil(out, 1, '\n'));
    EXPECT_TRUE(FileReader::FileExists(path.c_str()));
    ASSERT_TRUE(reader_.ReadUntil(out, 512, '\n'));
    EXPECT_EQ(out, "bc");
}

}  // namespace

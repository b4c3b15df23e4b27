// FileReader core: Open in both modes and what survives each failure, Close,
// IsEOF and the outcome table of the delimited 8-bit read.
#include <gtest/gtest.h>

#include "TestFiles.h"
#include "zabrelo/FileReader.h"

namespace {

using zabrelo_test::TempDir;

class FileReaderTest : public ::testing::Test {
protected:
    TempDir dir_;
    FileReader reader_;
};

TEST_F(FileReaderTest, OpenRejectsNullAndEmptyPathsWithoutTouchingAnOpenFile) {
    reader_.Open(dir_.Write("a.txt", "ab\ncd\n").c_str(), 1);
    std::string out;
    ASSERT_TRUE(reader_.ReadUntil(out, 512, '\n'));
    EXPECT_IO_ERROR(reader_.Open(nullptr, 1), 16, "Invalid file name specified.");
    EXPECT_IO_ERROR(reader_.Open("", 0), 16, "Invalid file name specified.");
    ASSERT_TRUE(reader_.ReadUntil(out, 512, '\n'));
    EXPECT_EQ(out, "cd");
}

TEST_F(FileReaderTest, OpenOfAMissingFileNamesItAndClosesTheOldOne) {
    reader_.Open(dir_.Write("a.txt", "ab").c_str(), 1);
    const std::string missing = dir_.Path("missing.txt");
    EXPECT_IO_ERROR(reader_.Open(missing.c_str(), 1), 16, "Could not open file: " + missing + ".");
    std::string out = "kept";
    EXPECT_FALSE(reader_.ReadUntil(out, 512, '\n'));  // closed: false, no raise
    EXPECT_EQ(out, "kept");
    EXPECT_TRUE(reader_.Open(dir_.Path("a.txt").c_str(), 1));
    EXPECT_TRUE(reader_.ReadUntil(out, 512, '\n'));
    EXPECT_EQ(out, "ab");
}

TEST_F(FileReaderTest, OpenOfADirectoryFails) {
    const std::string path = dir_.Root().string();
    EXPECT_IO_ERROR(reader_.Open(path.c_str(), 1), 16, "Could not open file: " + path + ".");
}

TEST_F(FileReaderTest, UnicodeModeNeedsTheLittleEndianMark) {
    struct Case { const char* why; std::string bytes; };
    const Case kNotUnicode[] = {{"big-endian mark", std::string("\xFE\xFF\x41\x00", 4)},
                                {"empty file", ""},
                                {"one byte", "\xFF"},
                                {"no mark", "AB"}};
    for (const Case& c : kNotUnicode) {
        SCOPED_TRACE(c.why);
        EXPECT_IO_ERROR(reader_.Open(dir_.Write("u.txt", c.bytes).c_str(), 0), 16,
                        "File is not Unicode based.");
        EXPECT_FALSE(reader_.IsEOF());
        std::string out;
        EXPECT_FALSE(reader_.ReadUntil(out, 512, '\n'));  // closed again
    }
    EXPECT_TRUE(reader_.Open(dir_.Write("u.txt", std::string("\xFF\xFE\x41\x00", 4)).c_str(), 0));
    std::string out;
    EXPECT_IO_ERROR(reader_.ReadUntil(out, 512, '\n'), 17, "File not openned as ASCII initially.");
}

TEST_F(FileReaderTest, AsciiModeDeliversSignaturesAndHighBytesUnchanged) {
    const std::string bytes = "\xEF\xBB\xBF\x80\xFF\xE9z";
    reader_.Open(dir_.Write("b.txt", bytes).c_str(), 1);
    std::string out;
    ASSERT_TRUE(reader_.ReadUntil(out, 512, '\xE9'));
    EXPECT_EQ(out, "\xEF\xBB\xBF\x80\xFF");
    ASSERT_TRUE(reader_.ReadUntil(out, 512, '\xE9'));
    EXPECT_EQ(out, "z");
}

TEST_F(FileReaderTest, ReadUntilOutcomes) {
    // File a, b, LF: the third call meets the end of the file.
    reader_.Open(dir_.Write("c.txt", "ab\n").c_str(), 1);
    std::string out;
    EXPECT_TRUE(reader_.ReadUntil(out, 512, '\n'));
    EXPECT_EQ(out, "ab");
    EXPECT_FALSE(reader_.IsEOF());
    EXPECT_FALSE(reader_.ReadUntil(out, 512, '\n'));
    EXPECT_EQ(out, "ab");
    EXPECT_TRUE(reader_.IsEOF());
    EXPECT_IO_ERROR(reader_.ReadUntil(out, 512, '\n'), 17, "End of file encountered.");

    // Without the line feed the end of file comes with the first call.
    reader_.Open(dir_.Write("d.txt", "ab").c_str(), 1);
    EXPECT_TRUE(reader_.ReadUntil(out, 512, '\n'));
    EXPECT_TRUE(reader_.IsEOF());
    EXPECT_IO_ERROR(reader_.ReadUntil(out, 512, '\n'), 17, "End of file encountered.");
}

TEST_F(FileReaderTest, ReadUntilStopsAtTheCountOrTheDelimiter) {
    reader_.Open(dir_.Write("e.txt", "FA0=x\r\n=y").c_str(), 1);
    std::string out = "old";
    EXPECT_FALSE(reader_.ReadUntil(out, 0, '='));   // count 0: nothing read
    EXPECT_FALSE(reader_.ReadUntil(out, -5, '='));
    EXPECT_EQ(out, "old");
    EXPECT_TRUE(reader_.ReadUntil(out, 3, '='));    // count reached, "=" left unread
    EXPECT_EQ(out, "FA0");
    EXPECT_FALSE(reader_.ReadUntil(out, 3, '='));   // delimiter first: consumed, false
    EXPECT_EQ(out, "FA0");
    EXPECT_TRUE(reader_.ReadUntil(out, 512, '\n'));  // CR stays in the data
    EXPECT_EQ(out, "x\r");
    EXPECT_FALSE(reader_.ReadUntil(out, 512, '='));
    EXPECT_TRUE(reader_.ReadUntil(out, 512, '='));
    EXPECT_EQ(out, "y");
}

TEST_F(FileReaderTest, EndOfFileBeforeAnyByteLeavesOutUnchanged) {
    reader_.Open(dir_.Write("f.txt", "").c_str(), 1);
    std::string out = "old";
    EXPECT_FALSE(reader_.IsEOF());  // only a read finds the end
    EXPECT_FALSE(reader_.ReadUntil(out, 512, '\n'));
    EXPECT_EQ(out, "old");
    EXPECT_TRUE(reader_.IsEOF());
}

TEST_F(FileReaderTest, CloseEndsEveryReadAndClearsTheEndOfFile) {
    reader_.Open(dir_.Write("h.txt", "a").c_str(), 1);
    std::string out;
    reader_.ReadUntil(out, 512, '\n');
    ASSERT_TRUE(reader_.IsEOF());
    reader_.Close();
    EXPECT_FALSE(reader_.IsEOF());
    EXPECT_FALSE(reader_.ReadUntil(out, 512, '\n'));
    reader_.Close();  // twice is harmless
    EXPECT_TRUE(reader_.Open(dir_.Path("h.txt").c_str(), 1));
    EXPECT_TRUE(reader_.ReadUntil(out, 512, '\n'));
    EXPECT_EQ(out, "a");
}

TEST(FileReaderStandaloneTest, NeverOpenedReaderAnswersFalse) {
    FileReader reader;
    std::string out = "old";
    EXPECT_FALSE(reader.IsEOF());
    EXPECT_FALSE(reader.ReadUntil(out, 512, '\n'));
    EXPECT_EQ(out, "old");
}

}  // namespace

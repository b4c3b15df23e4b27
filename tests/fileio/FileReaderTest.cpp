// FileReader core: Open in both modes and what survives each failure, Close,
// IsEOF and the outcome table of the delimited 8-bit read; and that every
// error of every operation reports a raise site of its own.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>

#include "TestFiles.h"
#include "zabrelo/FileReader.h"

namespace {

using zabrelo_test::TempDir;

// Clients written before the names existed pass 0 and 1 as ints.
static_assert(FileReader::kUnicodeMode == 0 && FileReader::kAsciiMode == 1, "fixed values");
static_assert(std::is_convertible_v<FileReader::Mode, int>, "a mode passes as Open's int");

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

TEST_F(FileReaderTest, OpenOfAPathThatIsNoReadableFileNamesItAndClosesTheOldOne) {
    const std::string missing = dir_.Path("missing.txt"), directory = dir_.Root().string(),
                      inMissingDir = dir_.Path("no/such/dir/a.txt");
    for (const std::string& path : {missing, directory, inMissingDir}) {
        SCOPED_TRACE(path);
        reader_.Open(dir_.Write("a.txt", "ab").c_str(), 1);
        EXPECT_IO_ERROR(reader_.Open(path.c_str(), 1), 16, "Could not open file: " + path + ".");
        std::string out = "kept";
        EXPECT_FALSE(reader_.ReadUntil(out, 512, '\n'));  // closed: false, no raise
        EXPECT_EQ(out, "kept");
        EXPECT_TRUE(reader_.Open(dir_.Path("a.txt").c_str(), 1));
        EXPECT_TRUE(reader_.ReadUntil(out, 512, '\n'));
        EXPECT_EQ(out, "ab");
    }
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

// Where each error may arise, and the state the reader needs for it.
enum class State { kAscii, kUnicode, kAsciiAtEnd, kUnicodeAtEnd };

struct RaiseCase {
    const char* why;
    State state;
    std::function<void(FileReader&)> call;
    const char* file;  // the source file the operation lives in
    std::string message;
};

std::optional<IOException> RaisedBy(const std::function<void()>& call) {
    try {
        call();
    } catch (const IOException& error) {
        return error;
    }
    return std::nullopt;
}

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// A report must tell which operation raised and why, so no two rows of the
// error table may share a source line (a raise inside a helper shared by
// several operations would). Line numbers themselves are not pinned.
TEST_F(FileReaderTest, EveryErrorReportsARaiseSiteOfItsOwn) {
    const char* const kCore = "FileReader.cpp";
    const char* const kUnicode = "FileReaderUnicode.cpp";
    const char* const kBuffers = "FileReaderBuffers.cpp";
    const char* const kPosition = "FileReaderPosition.cpp";
    const std::string missing = dir_.Path("missing.txt");
    const std::string notUnicode = dir_.Write("n.txt", "AB");
    unsigned char bytes[2];
    char16_t units[2];
    std::string text;
    std::u16string wide;
    const RaiseCase kCases[] = {
        {"Open: no path", State::kAscii, [](FileReader& r) { r.Open(nullptr, 1); }, kCore,
         "Invalid file name specified."},
        {"Open: missing file", State::kAscii, [&](FileReader& r) { r.Open(missing.c_str(), 1); }, kCore,
         "Could not open file: " + missing + "."},
        {"Open: no mark", State::kAscii, [&](FileReader& r) { r.Open(notUnicode.c_str(), 0); }, kCore,
         "File is not Unicode based."},
        {"ReadUntil: end", State::kAsciiAtEnd, [&](FileReader& r) { r.ReadUntil(text, 9, '\n'); }, kCore,
         "End of file encountered."},
        {"ReadUntil: mode", State::kUnicode, [&](FileReader& r) { r.ReadUntil(text, 9, '\n'); }, kCore,
         "File not openned as ASCII initially."},
        {"ReadUnicodeUntil: end", State::kUnicodeAtEnd,
         [&](FileReader& r) { r.ReadUnicodeUntil(wide, 9, u'\n'); }, kUnicode, "End of file encountered."},
        {"ReadUnicodeUntil: mode", State::kAscii, [&](FileReader& r) { r.ReadUnicodeUntil(wide, 9, u'\n'); },
         kUnicode, "File not openned as UNICODE initially."},
        {"ReadUnicode: end", State::kUnicodeAtEnd, [&](FileReader& r) { r.ReadUnicode(wide, 9); }, kUnicode,
         "End of file encountered."},
        {"ReadUnicode: mode", State::kAscii, [&](FileReader& r) { r.ReadUnicode(wide, 9); }, kUnicode,
         "File not openned as Unicode initially."},
        {"ReadBytes: buffer", State::kAscii, [](FileReader& r) { r.ReadBytes(nullptr, 2); }, kBuffers,
         "Null buffer or zero size specified."},
        {"ReadBytes: end", State::kAsciiAtEnd, [&](FileReader& r) { r.ReadBytes(bytes, 2); }, kBuffers,
         "End of file encountered."},
        {"ReadUnits: buffer", State::kAscii, [](FileReader& r) { r.ReadUnits(nullptr, 2); }, kBuffers,
         "Null buffer or zero size specified."},
        {"ReadUnits: end", State::kAsciiAtEnd, [&](FileReader& r) { r.ReadUnits(units, 2); }, kBuffers,
         "End of file encountered."},
        {"ReadAt: buffer", State::kAscii, [](FileReader& r) { r.ReadAt(nullptr, 0, 2); }, kBuffers,
         "Null buffer or zero size specified."},
        {"ReadAt: end", State::kAsciiAtEnd, [&](FileReader& r) { r.ReadAt(bytes, 0, 2); }, kBuffers,
         "End of file encountered."},
        {"StepBack: mode", State::kUnicode, [](FileReader& r) { r.StepBack(1); }, kPosition,
         "File not openned as ASCII initially."},
        {"StepBackUnicode: mode", State::kAscii, [](FileReader& r) { r.StepBackUnicode(1); }, kPosition,
         "File not openned as Unicode initially."},
    };
    const std::string asciiFile = dir_.Write("a.txt", "ab");
    const std::string unicodeFile = dir_.Write("u.txt", std::string("\xFF\xFE\x41\x00", 4));
    std::map<std::pair<std::string, int>, const char*> sites;
    for (const RaiseCase& c : kCases) {
        SCOPED_TRACE(c.why);
        const bool ascii = c.state == State::kAscii || c.state == State::kAsciiAtEnd;
        ASSERT_TRUE(reader_.Open((ascii ? asciiFile : unicodeFile).c_str(),
                                 ascii ? FileReader::kAsciiMode : FileReader::kUnicodeMode));
        if (c.state == State::kAsciiAtEnd || c.state == State::kUnicodeAtEnd) {
            unsigned char rest[8];
            reader_.ReadBytes(rest, 8);
            ASSERT_TRUE(reader_.IsEOF());
        }
        const std::optional<IOException> error = RaisedBy([&] { c.call(reader_); });
        ASSERT_TRUE(error.has_value()) << "nothing raised";
        EXPECT_EQ(error->GetErrorMessage(), c.message);
        EXPECT_TRUE(EndsWith(error->GetFileName(), c.file)) << error->GetFileName();
        EXPECT_GT(error->GetLineNumber(), 0);
        const auto where = std::make_pair(error->GetFileName(), error->GetLineNumber());
        const auto [site, fresh] = sites.emplace(where, c.why);
        EXPECT_TRUE(fresh) << "reports the same line as \"" << site->second << "\"";
    }
}

TEST(FileReaderStandaloneTest, NeverOpenedReaderAnswersFalse) {
    FileReader reader;
    std::string out = "old";
    EXPECT_FALSE(reader.IsEOF());
    EXPECT_FALSE(reader.ReadUntil(out, 512, '\n'));
    EXPECT_EQ(out, "old");
}

}  // namespace

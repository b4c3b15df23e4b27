// InputText: however the input is cut into chunks (a budget of one byte,
// of a read's size, of everything), the lines that come out are the file's
// lines, with their own ends and their numbers in the file; with --csv a
// record keeps the line breaks inside its quotes.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "InputText.h"
#include "TestFiles.h"
#include "ToolError.h"

namespace {

using zabrelo_tool::Headers;
using zabrelo_tool::InputText;
using zabrelo_tool::Line;
using zabrelo_tool::LineList;
using zabrelo_tool::RecordFormat;
using zabrelo_tool::ToolError;
using zabrelo_test::TempDir;

struct Record {
    std::string text, end;
    std::uint64_t number;  // its first line in the file
};

// A file of `count` records, as `Records` must read them back; the last
// has no end of its own with `openEnd`, and then takes the one before it.
std::string MakeFile(std::mt19937& random, int count, bool csv, bool openEnd, std::vector<Record>& records) {
    static const char* const kPieces[] = {"کتاب", "قلم", "a", "x y", "", "\r", ",", "۱۲", "\t"};
    static const char* const kQuoted[] = {"\"a,b\"", "\"two\r\nlines\"", "\"say \"\"hi\"\"\"", "\"\"", "\"x\ny\nz\""};
    std::string content;
    std::uint64_t number = 1;
    for (int i = 0; i < count; ++i) {
        std::string text;
        const int pieces = static_cast<int>(random() % 6);
        for (int k = 0; k < pieces; ++k) {
            if (csv && random() % 4 == 0) {
                text += (text.empty() || text.back() == ',' ? "" : ",") + std::string(kQuoted[random() % 5]) + ",";
            } else {
                text += kPieces[random() % 9];
            }
        }
        // A CR that ends a text would join its line end; an open quote would run on.
        while (!text.empty() && text.back() == '\r') text.pop_back();
        std::string end = random() % 3 == 0 ? "\r\n" : "\n";
        const bool last = i + 1 == count;
        if (last && openEnd) end = records.empty() ? "\n" : records.back().end;
        content += text + (last && openEnd ? "" : end);
        records.push_back({text, end, number});
        number += 1;
        if (csv) number += static_cast<std::uint64_t>(std::count(text.begin(), text.end(), '\n'));
    }
    return content;
}

// Reads `path` with chunks of `limit` bytes and checks every line against `records`.
void ReadBack(const std::string& path, const std::string& name, const RecordFormat& format, std::size_t limit,
              bool eager, const std::vector<Record>& records, std::size_t first = 0, int threads = 1) {
    SCOPED_TRACE("limit " + std::to_string(limit) + (eager ? ", eager" : "") + ", threads " + std::to_string(threads));
    InputText input({path}, format, nullptr);
    if (eager) input.TakeLinesAsTheyCome();
    input.SplitOnThreads(threads);
    std::size_t next = first;
    while (input.Fill(limit)) {
        const LineList& lines = input.Lines();
        ASSERT_FALSE(lines.empty());
        const Line& lastLine = lines.back();
        // Full once it holds `limit` bytes: the last line took it there.
        EXPECT_LT(input.TextBytes() - lastLine.size - EndSize(lastLine), limit);
        for (std::size_t i = 0; i < lines.size(); ++i, ++next) {
            ASSERT_LT(next, records.size());
            const Record& want = records[next];
            ASSERT_EQ(std::string(lines[i].text, lines[i].size), want.text) << "line " << next;
            ASSERT_EQ(std::string(EndText(lines[i]), EndSize(lines[i])), want.end) << "line " << next;
            // Where counts from its file's first line in the chunk: some lines will do.
            if (i % 97 == 0 || i + 1 == lines.size()) {
                ASSERT_EQ(input.Where(i), name + ":" + std::to_string(want.number));
            }
        }
    }
    EXPECT_TRUE(input.AtEnd());
    EXPECT_EQ(next, records.size());
}

TEST(InputTextTest, ChunksOfAnySizeGiveTheFilesLines) {
    std::mt19937 random(7);
    for (const bool csv : {false, true}) {
        for (const bool openEnd : {false, true}) {
            SCOPED_TRACE(std::string(csv ? "csv" : "lines") + (openEnd ? ", last line without an end" : ""));
            TempDir dir;
            std::vector<Record> records;
            // Over 64 KB, so that reads end inside lines and records.
            const std::string path = dir.Write("in", MakeFile(random, 6000, csv, openEnd, records));
            RecordFormat format;
            format.csv = csv;
            for (const std::size_t limit : {std::size_t{1}, std::size_t{700}, std::size_t{100000},
                                            std::numeric_limits<std::size_t>::max()}) {
                for (const bool eager : {false, true}) ReadBack(path, path, format, limit, eager, records);
            }
        }
    }
}

// Megabytes read at once are read in parts and split into lines on several
// threads, each taking those that end in its share of the bytes: the same
// lines, ends, numbers and chunks as one thread takes.
TEST(InputTextTest, LargeReadsSplitOnThreads) {
    std::mt19937 random(11);
    for (const bool zero : {false, true}) {
        for (const bool openEnd : {false, true}) {
            SCOPED_TRACE(std::string(zero ? "NUL-ended" : "lines") + (openEnd ? ", last line without an end" : ""));
            TempDir dir;
            std::vector<Record> records;
            std::string content = MakeFile(random, 250000, false, openEnd, records);
            // An empty last line without an end is no line at all.
            if (records.back().text.empty() && openEnd) records.pop_back();
            if (zero) {
                // NUL ends: a CR is then text, and so is an LF.
                for (char& c : content) c = c == '\n' ? '\0' : c;
                for (Record& record : records) {
                    if (record.end == "\r\n") record.text += '\r';
                    record.end = std::string(1, '\0');
                }
            }
            const std::string path = dir.Write("in", content);
            RecordFormat format;
            format.zeroTerminated = zero;
            for (const std::size_t limit : {std::size_t{1200000}, std::numeric_limits<std::size_t>::max()}) {
                for (const int threads : {2, 3}) ReadBack(path, path, format, limit, false, records, 0, threads);
            }
        }
    }
}

TEST(InputTextTest, SignatureAndHeaderAreNoLines) {
    TempDir dir;
    const std::string first = dir.Write("a", "\xEF\xBB\xBFname\r\nب\r\nا");
    const std::string second = dir.Write("b", "name\nپ\n");
    RecordFormat format;
    format.header = true;
    Headers headers;
    InputText input({first, second}, format, &headers);
    ASSERT_TRUE(input.Fill(std::numeric_limits<std::size_t>::max()));
    EXPECT_TRUE(input.HadSignature());
    ASSERT_TRUE(headers.Has());
    EXPECT_EQ(headers.Text(), "name\r\n");
    const LineList& lines = input.Lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(std::string(lines[1].text, lines[1].size) + std::string(EndText(lines[1]), EndSize(lines[1])), "ا\r\n");
    EXPECT_EQ(input.Where(0), first + ":2");
    EXPECT_EQ(input.Where(2), second + ":2");
    EXPECT_FALSE(input.Fill(1));

    const std::string other = dir.Write("c", "Name\nت\n");
    InputText mixed({first, other}, format, &headers);
    EXPECT_THROW(mixed.Fill(std::numeric_limits<std::size_t>::max()), ToolError);
}

TEST(InputTextTest, ZeroTerminatedAndEmptyFiles) {
    TempDir dir;
    RecordFormat format;
    format.zeroTerminated = true;
    InputText input({dir.Write("e", ""), dir.Write("z", std::string("a\nb\0c", 5)), dir.Write("f", "")}, format,
                    nullptr);
    ASSERT_TRUE(input.Fill(1000));
    const LineList& lines = input.Lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(std::string(lines[0].text, lines[0].size), "a\nb");
    EXPECT_EQ(std::string(lines[1].text, lines[1].size), "c");
    EXPECT_EQ(std::string(EndText(lines[1]), EndSize(lines[1])), std::string(1, '\0'));
    EXPECT_FALSE(input.Fill(1000));
}

TEST(InputTextTest, AnOpenQuoteAtTheEndNamesItsLine) {
    TempDir dir;
    const std::string path = dir.Write("in", "a\r\nb,\"open\r\nc\r\n");
    RecordFormat format;
    format.csv = true;
    InputText input({path}, format, nullptr);
    try {
        input.Fill(1 << 20);
        ADD_FAILURE() << "no error";
    } catch (const ToolError& error) {
        EXPECT_EQ(std::string(error.what()), path + ":2: a quoted field is not closed before the end of the file");
    }
}

}  // namespace

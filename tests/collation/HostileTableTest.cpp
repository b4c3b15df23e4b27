// Data files nobody should write: huge headers and files, endless lines,
// every byte value in every place, paths that are no file. Each loads to the
// result the format gives, or raises a clear IOException, and the table
// stays usable. The format's ordinary rules are in TableLoaderTest.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "TestTables.h"

namespace {

using zabrelo::EntryList;
using zabrelo::TableLoader;
using zabrelo_test::TestTable;
using namespace std::string_literals;  // tables with NUL bytes

constexpr char kGoodTable[] = "FA=\r\n[0627][1,2,3]\r\n";

class HostileTableTest : public ::testing::Test {
protected:
    bool Load(const std::string& bytes) { return table_.Load(bytes); }
    std::int32_t Weight1(std::int32_t cp, std::size_t index = 0) const {
        const EntryList* list = table_->EntriesOf(cp);
        return list == nullptr || index >= list->size() ? -1 : (*list)[index].weights[0];
    }
    // After whatever came before, an ordinary table still loads and weighs.
    void ExpectUsable() {
        ASSERT_TRUE(Load(kGoodTable));
        EXPECT_EQ(table_.Key(u"\u0627 \u0627", 3), "\x01\x41\x01\x02\x02\x03\x03");
    }

    TestTable table_;
};

struct HeaderCase { const char* why; std::string bytes; bool result; std::int32_t slots; int handedOut; };
const HeaderCase kHeaderCases[] = {
    {"the largest header, then one line", "FFF=\r\n[0627][1,2,3]\r\n", true, 0xFFF, 1},
    {"the largest header alone, no line end", "FFF", true, 0xFFF, 0},
    {"a header of NULs", "\0\0\0=\r\n[0627][1,2,3]\r\n"s, true, 0, 1},
    {"a NUL inside the header takes a place", "F\0A=\r\n"s, true, 0xF0A, 0},
    {"high bytes in the header add nothing", "\xFF\x80" "A=\r\n[0627][1,2,3]\r\n", true, 0xA, 1},
    {"a header of only the delimiter", "=", false, 0, 0},
    {"a lone line feed", "\n", true, 0, 0},
};

TEST_F(HostileTableTest, Headers) {
    for (const HeaderCase& c : kHeaderCases) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(Load(c.bytes), c.result);
        EXPECT_EQ(table_->AnnouncedSlots(), c.slots);
        EXPECT_EQ(table_->HandedOutSlots(), c.handedOut);
    }
    ExpectUsable();
}

TEST_F(HostileTableTest, HundredThousandLinesFirstLineWins) {
    // 400 rounds over the whole range: single lines and contractions with
    // weights that change every round, so only round 0 may show in the table.
    std::string table = "FA=\r\n";
    char line[64];
    for (int i = 0; i < 100000; ++i) {
        const int offset = i % 250, round = i / 250;
        if ((offset + round) % 2 == 0) {
            std::snprintf(line, sizeof line, "[%04X][%X,1,1]\r\n", 0x0600 + offset, round + 1);
        } else {
            std::snprintf(line, sizeof line, "[%04X,%04X][%X,2,2]\r\n", 0x0600 + offset,
                          0x0600 + (offset + 1) % 250, round + 1);
        }
        table += line;
    }
    ASSERT_TRUE(Load(table));
    EXPECT_EQ(table_->HandedOutSlots(), 250);
    // Offset 0 has its own line first, offset 1 a contraction; later own
    // lines are ignored and every contraction line appends.
    EXPECT_EQ(Weight1(0x0600), 1);
    EXPECT_EQ(table_->EntriesOf(0x0600)->size(), 201u);
    EXPECT_EQ(table_->EntriesOf(0x0601)->front().codePoint, 0x0602);
    EXPECT_EQ(table_->EntriesOf(0x0601)->size(), 200u);
    // The walk takes the first matching pair, not a later duplicate.
    EXPECT_EQ(table_.Key(u"\u0601\u0602", 2), "\x01\x02");
    ExpectUsable();
}

TEST_F(HostileTableTest, MegabyteLineWithoutBracketIsReadInBoundedPieces) {
    // The long line is eaten in 512-byte reads (code point field, weight
    // field, line tail in turn); its pieces are worth 0 and add nothing.
    // 1 MiB + 1 bytes before the line feed leaves exactly one byte for the
    // last tail read, so the line after it starts cleanly.
    const std::string longLine = "[" + std::string((1 << 20) - 1, 'x') + "\r";
    ASSERT_TRUE(Load("FA=\r\n[0627][1,2,3]\r\n" + longLine + "\n[0628][4,5,6]\r\n"));
    EXPECT_EQ(table_->HandedOutSlots(), 2);
    EXPECT_EQ(Weight1(0x0628), 4);
    // The same line as the end of the file: the load ends at the end of the file.
    ASSERT_TRUE(Load("FA=\r\n[0627][1,2,3]\r\n" + longLine));
    EXPECT_EQ(table_->HandedOutSlots(), 1);
    // A megabyte of digits: every 512-byte piece is worth 0.
    ASSERT_TRUE(Load("FA=\r\n[" + std::string(1 << 20, 'F') + "]\r\n"));
    EXPECT_EQ(table_->HandedOutSlots(), 0);
    ExpectUsable();
}

TEST_F(HostileTableTest, EveryByteValueInEveryPlaceOfALine) {
    // Line k gives U+0600+k; byte b = k (and 255 - k) stands in the ignored
    // first bytes of both fields and in the tail, which also holds every
    // other byte but the line feed. Only "]" cannot stand in a field.
    std::string allButLineFeed;
    for (int b = 0; b < 256; ++b) if (b != '\n') allButLineFeed += static_cast<char>(b);
    std::string table = "FA=\r\n";
    for (int k = 0; k < 250; ++k) {
        char digits[8];
        std::snprintf(digits, sizeof digits, "06%02X", k);
        const char first = k == ']' ? '[' : static_cast<char>(k);
        const char weightFirst = 255 - k == ']' ? '[' : static_cast<char>(255 - k);
        table += std::string(1, first) + digits + "]" + weightFirst + "1,2,3]" + allButLineFeed + "\r\n";
    }
    ASSERT_TRUE(Load(table));
    EXPECT_EQ(table_->HandedOutSlots(), 250);
    for (std::int32_t cp = 0x0600; cp < 0x06FA; ++cp) EXPECT_EQ(Weight1(cp), 1) << std::hex << cp;
    ExpectUsable();
}

TEST_F(HostileTableTest, EveryByteValueAsAHexDigit) {
    // Signed or unsigned char must not matter: only 0-9 and A-F count.
    for (int b = 0; b < 256; ++b) {
        const std::string field = std::string(1, static_cast<char>(b)) + "627";
        const std::int32_t digit = b >= '0' && b <= '9' ? b - '0' : b >= 'A' && b <= 'F' ? b - 'A' + 10 : 0;
        EXPECT_EQ(TableLoader::ParseHex(field), digit * 0x1000 + 0x627) << "byte " << b;
    }
}

TEST_F(HostileTableTest, NulBytesAreOrdinaryBytes) {
    // A NUL in a field takes a place like any non-digit; it ends nothing.
    ASSERT_TRUE(Load("FA=\0\r\n[0627][1,2,3]\0\r\n[\0" "0628][\0" "4,5,6]\r\n[06\0" "29][7,7,7]\r\n"s));
    EXPECT_EQ(Weight1(0x0627), 1);
    EXPECT_EQ(Weight1(0x0628), 4);  // leading NULs only take places
    EXPECT_EQ(table_->EntriesOf(0x0629), nullptr);  // 06\029 is 0x6029: out of range
    ExpectUsable();
}

TEST_F(HostileTableTest, PathsThatAreNoReadableFile) {
    const std::string missing = table_.Dir().Path("missing.txt");
    const std::string directory = table_.Dir().Root().string();
    ASSERT_TRUE(Load(kGoodTable));
    EXPECT_IO_ERROR(table_.LoadFile(directory.c_str()), 16, "Could not open file: " + directory + ".");
    EXPECT_EQ(table_->EntriesOf(0x0627), nullptr);
    EXPECT_IO_ERROR(table_.LoadFile(missing.c_str()), 16, "Could not open file: " + missing + ".");
    const std::string inMissingDir = table_.Dir().Path("no/such/dir/t.txt");
    EXPECT_IO_ERROR(table_.LoadFile(inMissingDir.c_str()), 16, "Could not open file: " + inMissingDir + ".");
    ExpectUsable();
}

TEST_F(HostileTableTest, FileThatDisappearsBetweenTwoLoads) {
    const std::string path = table_.Dir().Write("gone.txt", kGoodTable);
    ASSERT_TRUE(table_.LoadFile(path.c_str()));
    std::filesystem::remove(path);
    EXPECT_IO_ERROR(table_.LoadFile(path.c_str()), 16, "Could not open file: " + path + ".");
    EXPECT_EQ(table_.Key(u"\u0627", 3), "");  // the old table went with the failed load
    table_.Dir().Write("gone.txt", "FA=\r\n[0627][9,9,9]\r\n");
    ASSERT_TRUE(table_.LoadFile(path.c_str()));
    EXPECT_EQ(table_.Key(u"\u0627", 1), "\x09");
}

}  // namespace

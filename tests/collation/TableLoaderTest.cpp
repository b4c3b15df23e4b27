// The table loader: the hex and field parsers, and every rule of the data
// file format checked against byte-exact files, the files nobody should
// write among them (huge headers and files, endless lines, every byte value
// in every place, paths that are no file).
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "TestTables.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

using zabrelo::TableLoader;
using zabrelo_test::TestTable;
using W = std::vector<std::int32_t>;
using namespace std::string_literals;  // tables with NUL bytes

struct NumberCase { std::int32_t (*parse)(const std::string&); std::string field; std::int32_t value; const char* why; };
const auto kHex = TableLoader::ParseHex;
const auto kCode = TableLoader::ParseCodePointField;
const NumberCase kNumberCases[] = {
    {kHex, "0627", 0x0627, "plain digits"},
    {kHex, "[0627", 0x0627, "a leading non-digit only takes a place"},
    {kHex, "06fa", 0x0600, "lower-case letters add nothing"},
    {kHex, "0627 ", 0x6270, "a trailing non-digit multiplies by 16"},
    {kHex, "", 0, "empty field"},
    {kHex, "FFFFFFFF", -1, "eight digits fill 32 bits"},
    {kHex, "7FFFFFFF", 0x7FFFFFFF, "largest positive"},
    {kHex, "123456789", 0, "nine bytes: the place value shifts out to 0"},
    {kHex, "\x80\xFF" "1", 1, "high bytes take places only"},
    {kHex, "ABCDEF", 0xABCDEF, "every upper-case letter"},
    {kHex, "\0" "627"s, 0x627, "a NUL takes a place like any non-digit"},
    {kCode, "[0627", 0x0627, "one code point"},
    {kCode, "[0644,0627", 0x06440627, "two code points packed"},
    {kCode, ",0627", 0x0627, "a comma in the ignored first byte is no contraction"},
    {kCode, "[,0627", 0x0627, "empty first code point leaves a single one"},
    {kCode, "[0000,0627", 0x0627, "first code point 0000 gives a single line"},
    {kCode, "[10644,0627", 0x06440627, "only the low 16 bits of the first are kept"},
    {kCode, "[", 0, "nothing after the first byte"},
    {kCode, "\r\n\r\n\r\n[0627", 0, "nine bytes or more after the first: worth 0"},
    {kCode, "\r\n[0627", 0x0627, "a blank line before the field adds nothing"},
};

TEST(FieldParserTest, NumberFields) {
    for (const NumberCase& c : kNumberCases) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(c.parse(c.field), c.value);
    }
    // Signed or unsigned char must not matter: only 0-9 and A-F count.
    for (int b = 0; b < 256; ++b) {
        const std::string field = std::string(1, static_cast<char>(b)) + "627";
        const std::int32_t digit = b >= '0' && b <= '9' ? b - '0' : b >= 'A' && b <= 'F' ? b - 'A' + 10 : 0;
        EXPECT_EQ(TableLoader::ParseHex(field), digit * 0x1000 + 0x627) << "byte " << b;
    }
}

struct WeightCase { const char* field; std::int32_t w[3]; const char* why; };
const WeightCase kWeightCases[] = {
    {"[1,2,3", {1, 2, 3}, "three weights"},
    {"[61,5,5", {0x61, 5, 5}, "hex"},
    {"[1", {1, 0, 0}, "missing levels are 0"},
    {"[1,", {1, 0, 0}, "nothing after the last comma"},
    {"[,,3", {0, 0, 3}, "empty runs are 0"},
    {"[1,2,3,4,5", {1, 2, 3}, "a fourth weight is ignored"},
    {"[", {0, 0, 0}, "an empty field"},
    {"[100,1FF,2", {0x100, 0x1FF, 2}, "weights above 0xFF are kept whole"},
};

TEST(FieldParserTest, WeightFields) {
    for (const WeightCase& c : kWeightCases) {
        SCOPED_TRACE(c.why);
        std::int32_t w[3] = {-7, -7, -7};
        TableLoader::ParseWeightField(c.field, w, 3);
        EXPECT_EQ(W(w, w + 3), W(c.w, c.w + 3));
    }
}

constexpr char kGoodTable[] = "FA=\r\n[0627][1,2,3]\r\n";

class LoadTest : public ::testing::Test {
protected:
    bool Load(const std::string& bytes) { return table_.Load(bytes); }
    W Weights(std::int32_t cp, std::size_t index = 0) const { return table_.Weights(cp, index); }
    std::size_t Entries(std::int32_t cp) const { return table_.Entries(cp); }
    // After whatever came before, an ordinary table still loads and weighs.
    void ExpectUsable() {
        ASSERT_TRUE(Load(kGoodTable));
        EXPECT_EQ(table_.Key(u"\u0627 \u0627", 3), "\x01\x41\x01\x02\x02\x03\x03");
    }

    TestTable table_;
};

struct HeaderCase { const char* why; std::string bytes; bool result; std::int32_t slots; int handedOut; };
const HeaderCase kHeaderCases[] = {
    {"two digits and \"=\"", "FA=t\r\n[0627][1,2,3]\r\n", true, 0xFA, 1},
    {"three digits: the \"=\" is left for the skip read, which eats the line", "0FA=t\r\n[0627][1,2,3]\r\n", true,
     0xFA, 1},
    {"only a header", "FA=only a header\r\n", true, 0xFA, 0},
    {"only a header, no line end", "FA=", true, 0xFA, 0},
    {"an empty file has no header", "", false, 0, 0},
    {"no header before \"=\"", "=FA\r\n[0627][1,2,3]\r\n", false, 0, 0},
    {"a header of only the delimiter", "=", false, 0, 0},
    {"a UTF-8 signature reads as slot count 0 and loses nothing else",
     "\xEF\xBB\xBF" "FA=t\r\n[0627][1,2,3]\r\n[0628][2,2,2]\r\n", true, 0, 2},
    {"the largest header, then one line", "FFF=\r\n[0627][1,2,3]\r\n", true, 0xFFF, 1},
    {"the largest header alone, no line end", "FFF", true, 0xFFF, 0},
    {"a header of NULs", "\0\0\0=\r\n[0627][1,2,3]\r\n"s, true, 0, 1},
    {"a NUL inside the header takes a place", "F\0A=\r\n"s, true, 0xF0A, 0},
    {"high bytes in the header add nothing", "\xFF\x80" "A=\r\n[0627][1,2,3]\r\n", true, 0xA, 1},
    {"a lone line feed", "\n", true, 0, 0},
};

TEST_F(LoadTest, HeaderGivesTheSlotCount) {
    for (const HeaderCase& c : kHeaderCases) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(Load(c.bytes), c.result);
        EXPECT_EQ(table_->AnnouncedSlots(), c.slots);
        EXPECT_EQ(table_->HandedOutSlots(), c.handedOut);
        EXPECT_EQ(Weights(0x0627), c.handedOut > 0 ? (W{1, 2, 3}) : W{});
    }
    ExpectUsable();
}

TEST_F(LoadTest, BareLineFeedAfterTheBracketLosesTheNextLine) {
    // Deliberately kept: existing tables were written around this.
    EXPECT_TRUE(Load("FA=t\n[0627][1,1,1]\n[0628][2,2,2]\n[0629][3,3,3]\n[062A][4,4,4]\n"));
    EXPECT_EQ(Weights(0x0627), (W{1, 1, 1}));
    EXPECT_EQ(Entries(0x0628), 0u);
    EXPECT_EQ(Weights(0x0629), (W{3, 3, 3}));
    EXPECT_EQ(Entries(0x062A), 0u);
    // Any tail keeps every line.
    EXPECT_TRUE(Load("FA=t\n[0627][1,1,1] a\n[0628][2,2,2] b\n[0629][3,3,3]\r\n[062A][4,4,4]\r\n"));
    for (std::int32_t cp : {0x0627, 0x0628, 0x0629, 0x062A}) EXPECT_EQ(Entries(cp), 1u) << cp;
}

TEST_F(LoadTest, CodePointFieldQuirks) {
    EXPECT_TRUE(Load("FA=\r\n[06fa][1,1,1]\r\n"     // lower case reads as 0600
                     "[0627 ][2,2,2]\r\n"           // x16: out of range, ignored
                     "[06FA][3,3,3]\r\n"            // just past the range
                     "[05FF][4,4,4]\r\n"
                     "\r\n\r\n[0628][5,5,5]\r\n"));  // blank lines are harmless
    EXPECT_EQ(Weights(0x0600), (W{1, 1, 1}));
    EXPECT_EQ(table_->HandedOutSlots(), 2);
    EXPECT_EQ(Weights(0x0628), (W{5, 5, 5}));
    // A NUL in a field takes a place like any non-digit; it ends nothing.
    ASSERT_TRUE(Load("FA=\0\r\n[0627][1,2,3]\0\r\n[\0" "0628][\0" "4,5,6]\r\n[06\0" "29][7,7,7]\r\n"s));
    EXPECT_EQ(Weights(0x0627), (W{1, 2, 3}));
    EXPECT_EQ(Weights(0x0628), (W{4, 5, 6}));  // leading NULs only take places
    EXPECT_EQ(Entries(0x0629), 0u);            // 06\029 is 0x6029: out of range
}

TEST_F(LoadTest, EveryByteValueInEveryPlaceOfALine) {
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
    for (std::int32_t cp = 0x0600; cp < 0x06FA; ++cp) EXPECT_EQ(Weights(cp), (W{1, 2, 3})) << std::hex << cp;
}

TEST_F(LoadTest, MegabyteLineWithoutBracketIsReadInBoundedPieces) {
    // The long line is eaten in 512-byte reads (code point field, weight
    // field, line tail in turn); its pieces are worth 0 and add nothing.
    // 1 MiB + 1 bytes before the line feed leaves exactly one byte for the
    // last tail read, so the line after it starts cleanly.
    const std::string longLine = "[" + std::string((1 << 20) - 1, 'x') + "\r";
    ASSERT_TRUE(Load("FA=\r\n[0627][1,2,3]\r\n" + longLine + "\n[0628][4,5,6]\r\n"));
    EXPECT_EQ(table_->HandedOutSlots(), 2);
    EXPECT_EQ(Weights(0x0628), (W{4, 5, 6}));
    // The same line as the end of the file: the load ends at the end of the file.
    ASSERT_TRUE(Load("FA=\r\n[0627][1,2,3]\r\n" + longLine));
    EXPECT_EQ(table_->HandedOutSlots(), 1);
    // A megabyte of digits: every 512-byte piece is worth 0.
    ASSERT_TRUE(Load("FA=\r\n[" + std::string(1 << 20, 'F') + "]\r\n"));
    EXPECT_EQ(table_->HandedOutSlots(), 0);
}

TEST_F(LoadTest, FirstLineWinsForACodePoint) {
    EXPECT_TRUE(Load("FA=\r\n[0627][1,1,1]\r\n[0627][2,2,2]\r\n"));
    EXPECT_EQ(Entries(0x0627), 1u);
    EXPECT_EQ(Weights(0x0627), (W{1, 1, 1}));

    // A hundred thousand lines, 400 rounds over the whole range: single
    // lines and pairs with weights that change every round, so only round 0
    // may show in the table.
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
    // Offset 0 has its own line first, offset 1 a pair; later own lines are
    // ignored and every pair line appends.
    EXPECT_EQ(Weights(0x0600), (W{1, 1, 1}));
    EXPECT_EQ(Entries(0x0600), 201u);
    EXPECT_EQ(table_->EntriesOf(0x0601)->front().codePoint, 0x0602);
    EXPECT_EQ(Entries(0x0601), 200u);
    // The walk takes the first matching pair, not a later duplicate.
    EXPECT_EQ(table_.Key(u"\u0601\u0602", 2), "\x01\x02");
}

TEST_F(LoadTest, ContractionsAppendToTheBaseAndFlagTheFollower) {
    EXPECT_TRUE(Load("FA=\r\n[0644][7,1,1]\r\n[0644,0627][4,5,6]\r\n[0644,0627][9,9,9]\r\n"
                     "[0644,0041][8,8,8]\r\n[200C,0627][1,1,1]\r\n[0041,0627][1,1,1]\r\n"));
    EXPECT_EQ(Entries(0x0644), 4u);
    EXPECT_EQ(Weights(0x0644, 1), (W{4, 5, 6}));
    EXPECT_EQ(Weights(0x0644, 2), (W{9, 9, 9}));  // stored, but the first one wins in the walk
    EXPECT_TRUE(table_->IsFollower(0x0627));
    EXPECT_FALSE(table_->IsFollower(0x0041));  // out of range: never matches
    EXPECT_FALSE(table_->IsFollower(0x0644));
    EXPECT_EQ(table_->HandedOutSlots(), 1);  // bases out of range are ignored
}

TEST_F(LoadTest, ContractionBeforeItsBaseBecomesEntryZero) {
    EXPECT_TRUE(Load("FA=\r\n[0644,0627][4,5,6]\r\n[0644][7,1,1]\r\n"));
    EXPECT_EQ(Entries(0x0644), 1u);
    EXPECT_EQ((*table_->EntriesOf(0x0644))[0].codePoint, 0x0627);
    EXPECT_EQ(Weights(0x0644), (W{4, 5, 6}));
}

TEST_F(LoadTest, SpecialCodePointLastLineWinsAndSurvivesAReload) {
    EXPECT_FALSE(table_->HasSpecial());
    EXPECT_TRUE(Load("FA=\r\n[200C][0,0,1]\r\n[200C][0,0,2]\r\n"));
    ASSERT_TRUE(table_->HasSpecial());
    EXPECT_EQ(table_->SpecialWeights()[2], 2);
    EXPECT_TRUE(Load("FA=\r\n[0627][1,1,1]\r\n"));
    EXPECT_TRUE(table_->HasSpecial());
    EXPECT_EQ(table_->SpecialWeights()[2], 2);
}

TEST_F(LoadTest, MissingWeightFieldFailsButKeepsEarlierLines) {
    EXPECT_FALSE(Load("FA=\r\n[0627][1,1,1]\r\n[0628]]\r\n[0629][3,3,3]\r\n"));
    EXPECT_EQ(Entries(0x0627), 1u);
    EXPECT_EQ(Entries(0x0628), 0u);
    EXPECT_EQ(Entries(0x0629), 0u);
    EXPECT_FALSE(Load("FA=\r\n[0627][1,1,1]\r\n[0628]"));  // the file ends there
    EXPECT_EQ(Entries(0x0627), 1u);
}

TEST_F(LoadTest, EmptyWeightFieldGivesZeros) {
    EXPECT_TRUE(Load("FA=\r\n[0627][]\r\n"));
    EXPECT_EQ(Weights(0x0627), (W{0, 0, 0}));
}

TEST_F(LoadTest, FileEndingInsideALineKeepsWhatWasRead) {
    EXPECT_TRUE(Load("FA=\r\n[0627][1,1,1]\r\n[0628][2,2"));  // inside a weight field: stored
    EXPECT_EQ(Weights(0x0628), (W{2, 2, 0}));
    EXPECT_TRUE(Load("FA=\r\n[0627][1,1,1]\r\n[062"));  // inside a code point field
    EXPECT_EQ(table_->HandedOutSlots(), 1);
    EXPECT_TRUE(Load("FA=\r\n[0627][1,1,1]\r\n[0628][2,2,2] tail"));  // inside a tail
    EXPECT_EQ(table_->HandedOutSlots(), 2);
    EXPECT_TRUE(Load("FA=\r\n[0627][1,1,1]"));  // the last line needs no line end
    EXPECT_EQ(Weights(0x0627), (W{1, 1, 1}));
}

TEST_F(LoadTest, MoreSlotsThanAnnouncedGrowTheTable) {
    EXPECT_TRUE(Load("2=\r\n[0627][1,1,1]\r\n[0628][2,2,2]\r\n[0629][3,3,3]\r\n[062A,0627][4,4,4]\r\n"));
    EXPECT_EQ(table_->AnnouncedSlots(), 2);
    EXPECT_EQ(table_->HandedOutSlots(), 4);
    EXPECT_EQ(Weights(0x0629), (W{3, 3, 3}));
    EXPECT_EQ(Weights(0x062A), (W{4, 4, 4}));
}

// A path that is no readable file raises, and the table is then empty but
// for the U+200C entry, whatever it held.
TEST_F(LoadTest, PathsThatAreNoReadableFileRaiseAndLeaveTheTableReset) {
    const std::string removed = table_.Dir().Write("gone.txt", kGoodTable);
    struct PathCase { const char* why; const char* path; std::string message; };
    const std::string missing = table_.Dir().Path("missing.txt"), directory = table_.Dir().Root().string(),
                      inMissingDir = table_.Dir().Path("no/such/dir/t.txt"), fifo = table_.Dir().Path("fifo"),
                      large = table_.Dir().Write("large.txt", kGoodTable);
#ifndef _WIN32
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
#endif
    std::filesystem::resize_file(large, zabrelo::TableLoader::kMaxTableBytes + 1);  // sparse: costs no disk
    const PathCase kPaths[] = {
        {"null", nullptr, "Invalid file name specified."},
        {"empty", "", "Invalid file name specified."},
        {"missing", missing.c_str(), "Could not open file: " + missing + "."},
        {"a directory", directory.c_str(), "Could not open file: " + directory + "."},
        {"in a missing directory", inMissingDir.c_str(), "Could not open file: " + inMissingDir + "."},
        {"removed since it was loaded", removed.c_str(), "Could not open file: " + removed + "."},
#ifndef _WIN32
        // Neither may hold the load up: a FIFO without a writer blocks an
        // ordinary open, and /dev/zero never ends.
        {"a FIFO", fifo.c_str(), "Could not open file: " + fifo + "."},
        {"a device without end", "/dev/zero", "Could not open file: /dev/zero."},
#endif
        {"larger than any table", large.c_str(), "Could not open file: " + large + "."},
    };
    for (const PathCase& c : kPaths) {
        SCOPED_TRACE(c.why);
        ASSERT_TRUE(Load("FA=\r\n[0627][1,1,1]\r\n[200C][0,0,1]\r\n[0627,0627][2,2,2]\r\n"));
        if (c.path == removed.c_str()) {
            ASSERT_TRUE(table_.LoadFile(removed));
            std::filesystem::remove(removed);
        }
        EXPECT_IO_ERROR(table_.LoadFile(c.path), 16, c.message);
        EXPECT_EQ(table_->EntriesOf(0x0627), nullptr);
        EXPECT_FALSE(table_->IsFollower(0x0627));
        EXPECT_TRUE(table_->HasSpecial());
        EXPECT_EQ(table_.Key(u"\u0627", 3), "");
    }
    ExpectUsable();
}

TEST_F(LoadTest, ALoadBuildsANewTableAndLeavesTheOldOneToWhoeverHoldsIt) {
    ASSERT_TRUE(Load("FA=\r\n[0627][1,1,1]\r\n[200C][0,0,5]\r\n"));
    const std::shared_ptr<const zabrelo::CollationTable> old = table_.Shared();
    ASSERT_TRUE(Load("FA=\r\n[0628][2,2,2]\r\n"));
    EXPECT_FALSE(Load("FA=\r\n[0629][3,3,3]\r\n[062A]]\r\n"));
    EXPECT_THROW(table_.LoadFile(table_.Dir().Path("missing.txt")), IOException);
    EXPECT_EQ(Entries(0x0629), 0u);
    EXPECT_EQ(table_->SpecialWeights()[2], 5);  // carried from table to table
    ASSERT_NE(old->EntriesOf(0x0627), nullptr);
    EXPECT_EQ(old->EntriesOf(0x0628), nullptr);
    EXPECT_EQ(old->HandedOutSlots(), 1);
}

TEST_F(LoadTest, AReloadLeavesOnlyTheSecondTable) {
    ASSERT_TRUE(Load("FA=\r\n[0627][1,1,1]\r\n[0644,0627][2,2,2]\r\n"));
    ASSERT_TRUE(Load("FA=\r\n[0628][3,3,3]\r\n"));
    EXPECT_EQ(table_->EntriesOf(0x0627), nullptr);
    EXPECT_EQ(table_->EntriesOf(0x0644), nullptr);
    EXPECT_FALSE(table_->IsFollower(0x0627));
    EXPECT_EQ(Weights(0x0628), (W{3, 3, 3}));
}

}  // namespace

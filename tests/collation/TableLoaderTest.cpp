// The table loader: the hex and field parsers, and every rule of the data
// file format checked against byte-exact files.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "TestTables.h"

namespace {

using zabrelo::EntryList;
using zabrelo::TableLoader;
using zabrelo_test::TestTable;

struct HexCase { const char* field; std::int32_t value; const char* why; };
const HexCase kHexCases[] = {
    {"0627", 0x0627, "plain digits"},
    {"[0627", 0x0627, "a leading non-digit only takes a place"},
    {"06fa", 0x0600, "lower-case letters add nothing"},
    {"0627 ", 0x6270, "a trailing non-digit multiplies by 16"},
    {"", 0, "empty field"},
    {"FFFFFFFF", -1, "eight digits fill 32 bits"},
    {"7FFFFFFF", 0x7FFFFFFF, "largest positive"},
    {"123456789", 0, "nine bytes: the place value shifts out to 0"},
    {"\x80\xFF" "1", 1, "high bytes take places only"},
    {"ABCDEF", 0xABCDEF, "every upper-case letter"},
};

TEST(ParseHexTest, FieldsOfTheDataFormat) {
    for (const HexCase& c : kHexCases) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(TableLoader::ParseHex(c.field), c.value);
    }
}

struct CodeCase { const char* field; std::int32_t value; const char* why; };
const CodeCase kCodeCases[] = {
    {"[0627", 0x0627, "one code point"},
    {"[0644,0627", 0x06440627, "two code points packed"},
    {",0627", 0x0627, "a comma in the ignored first byte is no contraction"},
    {"[,0627", 0x0627, "empty first code point leaves a single one"},
    {"[0000,0627", 0x0627, "first code point 0000 gives a single line"},
    {"[10644,0627", 0x06440627, "only the low 16 bits of the first are kept"},
    {"[", 0, "nothing after the first byte"},
    {"\r\n\r\n\r\n[0627", 0, "nine bytes or more after the first: worth 0"},
    {"\r\n[0627", 0x0627, "a blank line before the field adds nothing"},
};

TEST(ParseCodePointFieldTest, Fields) {
    for (const CodeCase& c : kCodeCases) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(TableLoader::ParseCodePointField(c.field), c.value);
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

TEST(ParseWeightFieldTest, Fields) {
    for (const WeightCase& c : kWeightCases) {
        SCOPED_TRACE(c.why);
        std::int32_t w[3] = {-7, -7, -7};
        TableLoader::ParseWeightField(c.field, w, 3);
        EXPECT_EQ(std::vector<std::int32_t>(w, w + 3), std::vector<std::int32_t>(c.w, c.w + 3));
    }
}

class LoadTest : public ::testing::Test {
protected:
    bool Load(const std::string& bytes) { return table_.Load(bytes); }
    // The weights of entry `index` of `cp`'s slot, or {} when there is none.
    std::vector<std::int32_t> Weights(std::int32_t cp, std::size_t index = 0) const {
        const EntryList* list = table_->EntriesOf(cp);
        if (list == nullptr || index >= list->size()) return {};
        const auto& w = (*list)[index].weights;
        return {w[0], w[1], w[2]};
    }
    std::size_t Entries(std::int32_t cp) const {
        const EntryList* list = table_->EntriesOf(cp);
        return list == nullptr ? 0 : list->size();
    }
    using W = std::vector<std::int32_t>;

    TestTable table_;
};

TEST_F(LoadTest, HeaderGivesTheSlotCount) {
    EXPECT_TRUE(Load("FA=t\r\n[0627][1,2,3]\r\n"));
    EXPECT_EQ(table_->AnnouncedSlots(), 250);
    EXPECT_EQ(Weights(0x0627), (W{1, 2, 3}));
    // Three digits: the "=" is left for the first skip read, which eats the line.
    EXPECT_TRUE(Load("0FA=t\r\n[0627][1,2,3]\r\n"));
    EXPECT_EQ(table_->AnnouncedSlots(), 250);
    EXPECT_EQ(Weights(0x0627), (W{1, 2, 3}));
}

TEST_F(LoadTest, MissingHeaderFails) {
    EXPECT_FALSE(Load(""));
    EXPECT_FALSE(Load("=FA\r\n[0627][1,2,3]\r\n"));
    EXPECT_EQ(table_->EntriesOf(0x0627), nullptr);
}

TEST_F(LoadTest, OnlyAHeaderLoadsAnEmptyTable) {
    EXPECT_TRUE(Load("FA=only a header\r\n"));
    EXPECT_TRUE(Load("FA="));
    EXPECT_EQ(table_->HandedOutSlots(), 0);
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
}

TEST_F(LoadTest, FirstLineWinsForACodePoint) {
    EXPECT_TRUE(Load("FA=\r\n[0627][1,1,1]\r\n[0627][2,2,2]\r\n"));
    EXPECT_EQ(Entries(0x0627), 1u);
    EXPECT_EQ(Weights(0x0627), (W{1, 1, 1}));
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

TEST_F(LoadTest, Utf8SignatureReadsAsSlotCountZeroAndLosesNothingElse) {
    EXPECT_TRUE(Load("\xEF\xBB\xBF" "FA=t\r\n[0627][1,1,1]\r\n[0628][2,2,2]\r\n"));
    EXPECT_EQ(table_->AnnouncedSlots(), 0);
    EXPECT_EQ(Weights(0x0627), (W{1, 1, 1}));
    EXPECT_EQ(Weights(0x0628), (W{2, 2, 2}));
}

TEST_F(LoadTest, MissingFileRaisesAndLeavesTheTableReset) {
    ASSERT_TRUE(Load("FA=\r\n[0627][1,1,1]\r\n[200C][0,0,1]\r\n[0627,0627][2,2,2]\r\n"));
    const std::string missing = table_.Dir().Path("missing.txt");
    EXPECT_IO_ERROR(table_.LoadFile(missing.c_str()), 16, "Could not open file: " + missing + ".");
    EXPECT_IO_ERROR(table_.LoadFile(nullptr), 16, "Invalid file name specified.");
    EXPECT_EQ(table_->EntriesOf(0x0627), nullptr);
    EXPECT_FALSE(table_->IsFollower(0x0627));
    EXPECT_TRUE(table_->HasSpecial());
    EXPECT_TRUE(Load("FA=\r\n[0628][2,2,2]\r\n"));  // usable afterwards
    EXPECT_EQ(Weights(0x0628), (W{2, 2, 2}));
}

TEST_F(LoadTest, ALoadBuildsANewTableAndLeavesTheOldOneToWhoeverHoldsIt) {
    ASSERT_TRUE(Load("FA=\r\n[0627][1,1,1]\r\n[200C][0,0,5]\r\n"));
    const std::shared_ptr<const zabrelo::CollationTable> old = table_.Shared();
    const std::string missing = table_.Dir().Path("missing.txt");
    ASSERT_TRUE(Load("FA=\r\n[0628][2,2,2]\r\n"));
    EXPECT_FALSE(Load("FA=\r\n[0629][3,3,3]\r\n[062A]]\r\n"));
    EXPECT_IO_ERROR(table_.LoadFile(missing), 16, "Could not open file: " + missing + ".");
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

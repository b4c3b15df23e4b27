// The default Urdu table: it loads whole, and it puts a dictionary-ordered
// list of real Urdu words back in order. The lists live in tests/data/.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "TestTables.h"
#include "TestText.h"
#include "zabrelo/ZabreloLib.h"

namespace {

using zabrelo::CollationTable;
using zabrelo_test::FromUtf8;
using zabrelo_test::Hex;
using zabrelo_test::ReadLines;

const std::string kTable = ZABRELO_DEFAULT_TABLE;
const std::string kDataDir = ZABRELO_TEST_DATA_DIR;

// The classic load takes every line of the block and U+200C; the lines of the
// mixed-text characters all come after them, so the classic load skips them
// without touching what it stored.
TEST(UrduTableTest, EveryLineOfTheBlockLoads) {
    zabrelo_test::TestTable table;
    ASSERT_TRUE(table.LoadFile(kTable));
    std::size_t entries = table->HasSpecial() ? 1 : 0;
    for (std::int32_t cp = CollationTable::kRangeFirst; cp < CollationTable::kRangeLimit; ++cp) {
        if (const zabrelo::EntryList* list = table->EntriesOf(cp)) entries += list->size();
    }
    const std::vector<std::string> lines = ReadLines(kTable);
    std::size_t blockLines = 0, mixedLines = 0;
    for (std::size_t k = 1; k < lines.size(); ++k) {  // past the header
        const std::int32_t first = std::stoi(lines[k].substr(1, 4), nullptr, 16);
        const bool inBlock = (first >= CollationTable::kRangeFirst && first < CollationTable::kRangeLimit) ||
                             first == CollationTable::kSpecialCodePoint;
        (inBlock ? blockLines : mixedLines) += 1;
        EXPECT_TRUE(!inBlock || mixedLines == 0) << "line " << k + 1 << " of the block after a mixed line";
    }
    EXPECT_EQ(entries, blockLines);
    EXPECT_GT(mixedLines, 1000u);
    EXPECT_LE(table->HandedOutSlots(), table->AnnouncedSlots());
}

TEST(UrduTableTest, DefaultTableIsFoundNextToTheTests) {
    // The build copies the table into the tests' working directory.
    ZabreloLib lib;
    EXPECT_TRUE(lib.Initialize());
}

class UrduOrderTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(lib_.Initialize(kTable.c_str())); }
    ZabreloLib lib_;
};

TEST_F(UrduOrderTest, ShuffledDictionaryListSortsBackExactly) {
    const std::vector<std::string> expected = ReadLines(kDataDir + "/urdu-ordered.txt");
    ASSERT_GT(expected.size(), 300u);
    struct Item { std::string key; std::string word; };
    std::vector<Item> items;
    for (const std::string& word : expected) items.push_back({lib_.GetCollationKey(FromUtf8(word), 3), word});
    std::mt19937 random(20261207);
    std::shuffle(items.begin(), items.end(), random);
    std::stable_sort(items.begin(), items.end(), [](const Item& a, const Item& b) { return a.key < b.key; });
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(items[i].word, expected[i]) << "position " << i << ", key " << Hex(items[i].key);
    }
}

TEST_F(UrduOrderTest, NeighboursCompareInOrder) {
    const std::vector<std::string> words = ReadLines(kDataDir + "/urdu-ordered.txt");
    for (std::size_t i = 1; i < words.size(); ++i) {
        const std::u16string a = FromUtf8(words[i - 1]), b = FromUtf8(words[i]);
        EXPECT_EQ(lib_.Compare(a, b, 3), -1) << words[i - 1] << " before " << words[i];
        EXPECT_EQ(lib_.Compare(b, a, 3), 1) << words[i] << " after " << words[i - 1];
    }
}

TEST_F(UrduOrderTest, GroupsAreEqualAtLevelOne) {
    const std::vector<std::string> groups = ReadLines(kDataDir + "/urdu-level1-groups.txt");
    ASSERT_GT(groups.size(), 20u);
    for (const std::string& line : groups) {
        std::vector<std::string> words;
        for (std::size_t start = 0, tab; start <= line.size(); start = tab + 1) {
            tab = line.find('\t', start);
            if (tab == std::string::npos) tab = line.size();
            words.push_back(line.substr(start, tab - start));
        }
        const std::string first = lib_.GetCollationKey(FromUtf8(words[0]), 1);
        for (std::size_t i = 1; i < words.size(); ++i) {
            EXPECT_EQ(Hex(lib_.GetCollationKey(FromUtf8(words[i]), 1)), Hex(first))
                << words[i] << " and " << words[0] << " differ at level 1";
        }
    }
}

TEST_F(UrduOrderTest, SecondaryAndTertiaryWeightsStayBelowEveryPrimary) {
    // The level strings are joined without separators: a word must sort
    // before its own extensions, whatever marks it carries.
    const std::u16string word = u"\u0645\u064E\u0644\u0650\u06A9";  // مَلِک
    const std::u16string longer = u"\u0645\u0644\u06A9\u0627";      // ملکا
    EXPECT_EQ(lib_.Compare(word, longer, 3), -1);
    EXPECT_EQ(lib_.Compare(u"\u06A9\u200C", u"\u06A9\u0627", 3), -1);
}

}  // namespace

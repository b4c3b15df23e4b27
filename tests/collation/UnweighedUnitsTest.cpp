// The units a table does not weigh, and their order, which tells texts with
// equal keys apart wherever that is done (the sort command, the SQLite
// collations URDU1 and URDU2): exact answers on the bundled table, UTF-8
// read leniently, as the keys read it. fuzz/UnweighedFuzzer.cpp checks the
// same against a plain restatement on random texts.
#include <gtest/gtest.h>

#include <string>

#include "TestTables.h"
#include "collation/UnweighedUnits.h"

namespace {

using zabrelo::UnweighedUnits;

struct UnitCase { char16_t unit; bool unweighed; const char* why; };
const UnitCase kUnits[] = {
    {u'a', true, "Latin"}, {u'7', true, "a digit"}, {u'\u0640', true, "the tatweel"},
    {u'\uFFFD', true, "what an ill-formed byte reads as"}, {u'\xD83D', true, "a surrogate"},
    {u' ', false, "the space weighs at level 1"}, {u'\u200C', false, "the table defines U+200C"},
    {u'\u0628', false, "a letter"}, {u'\u064E', false, "a mark, at levels 2 and 3"},
};

// At level 3 unless `level` says otherwise.
struct OrderCase { const char* a; const char* b; int order; const char* why; int level = 3; };
#define KITAB "\xDA\xA9\xD8\xAA\xD8\xA7\xD8\xA8"
#define KITAB_MARKED "\xDA\xA9\xD9\x90\xD8\xAA\xD8\xA7\xD8\xA8"
const OrderCase kOrders[] = {
    {"abc", "xyz", -1, "Latin by code unit"},
    {"abc", "abc", 0, "the same"},
    {KITAB, KITAB "2", -1, "none before some"},
    {"ab", "a\xD8\xA8" "b", -1, "a letter between moves what follows it"},
    {"a\xD8\xA8" "b", "a\xD8\xAA" "b", 0, "any letter: only how many stand before"},
    {"a b", "ab", 1, "the space weighs: b stands after one weighed unit"},
    {"12 34", "1 234", -1, "places decide when the units are the same, the earlier place first"},
    {KITAB "2", "2" KITAB, 1, "a digit after the word, and before it"},
    {"1" KITAB "2", "2" KITAB "1", -1, "units before places"},
    {"\xF0\x9F\x98\x80" KITAB, KITAB "\xF0\x9F\x98\x80", -1, "an emoji has a place too"},
    {KITAB "2", KITAB_MARKED "2", -1, "a mark weighs at level 3"},
    {KITAB "2", KITAB_MARKED "2", -1, "and at level 2", 2},
    {KITAB "2", KITAB_MARKED "2", 0, "not at level 1", 1},
    {"2" KITAB, KITAB "2", 0, "at level 0 nothing weighs", 0},
    {"Z", "a", -1, "capitals first, as in code units"},
    {"z", "\xFF", -1, "an ill-formed byte is U+FFFD"},
    {"\xFF\xFF", "\xEF\xBF\xBD\xEF\xBF\xBD", 0, "each ill-formed byte is one U+FFFD"},
    {"\xE2\x80", "\xEF\xBF\xBD\xEF\xBF\xBD", 0, "a cut sequence is one U+FFFD per byte"},
    {"\xF0\x9F\x98\x80", "\xEF\xBF\xBD", -1, "beyond the BMP: a surrogate pair, below U+FFFD"},
    {"", "a", -1, "nothing first"},
};

TEST(UnweighedUnitsTest, UnitsAndOrderOnTheBundledTable) {
    zabrelo_test::TestTable table;
    ASSERT_TRUE(table.LoadFile(ZABRELO_DEFAULT_TABLE));
    const UnweighedUnits units(*table);
    for (const UnitCase& c : kUnits) EXPECT_EQ(units.Contains(c.unit), c.unweighed) << c.why;
    for (const OrderCase& c : kOrders) {
        SCOPED_TRACE(c.why);
        const std::string a = c.a, b = c.b;
        const auto sign = [](int x) { return (x > 0) - (x < 0); };
        EXPECT_EQ(sign(units.Compare(a.data(), a.size(), b.data(), b.size(), c.level)), c.order);
        EXPECT_EQ(sign(units.Compare(b.data(), b.size(), a.data(), a.size(), c.level)), -c.order);
        std::string x, y;
        units.AppendSortable(a.data(), a.size(), c.level, x);
        units.AppendSortable(b.data(), b.size(), c.level, y);
        EXPECT_EQ(sign(x.compare(y)), c.order) << "the sortable bytes";
    }
    // Without a table only the space weighs anything.
    EXPECT_EQ(UnweighedUnits(zabrelo::CollationTable()).WeighedCount(), 1u);
    EXPECT_GT(units.WeighedCount(), 100u);
}

}  // namespace

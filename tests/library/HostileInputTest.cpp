// Strings nobody should pass: broken surrogates, noncharacters, NUL units,
// every code unit, absurd levels and ten million units. None may crash or
// change the keys of the letters around them, and keys grow in linear time.
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <climits>
#include <string>

#include "TestFiles.h"
#include "zabrelo/ZabreloLib.h"

namespace {

using zabrelo_test::TempDir;

// Letters with single weights, one contraction, the hamza mark (level 2
// only) and the joiner; every other unit is ignorable.
constexpr char kTable[] =
    "FA=\r\n[0621][2,1,1]\r\n[0627][3,1,1]\r\n[0628][4,1,1]\r\n[0644][10,1,1]\r\n"
    "[0644,0627][11,2,2]\r\n[0648][5,1,1]\r\n[0654][0,3,1]\r\n[06CC][6,1,1]\r\n"
    "[06D2][7,1,1]\r\n[200C][0,0,4]\r\n";

class HostileInputTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(lib_.Initialize(dir_.Write("t.txt", kTable).c_str())); }
    std::string Key(const std::u16string& text, int level = 3) { return lib_.GetCollationKey(text, level); }

    TempDir dir_;
    ZabreloLib lib_;
};

struct IgnorableCase { const char* why; std::u16string hostile; std::u16string clean; };
const IgnorableCase kIgnorableCases[] = {
    {"lone high surrogate", u"\u0627\xD800\u0628", u"\u0627\u0628"},
    {"lone low surrogate", u"\xDC00\u0627", u"\u0627"},
    {"reversed pair", u"\u0627\xDC00\xD800", u"\u0627"},
    {"pair of a character beyond the BMP", u"\u0628\xD83D\xDE00\u0627", u"\u0628\u0627"},
    {"noncharacters", u"\uFFFF\u0627\uFFFE", u"\u0627"},
    {"byte order marks", u"\uFEFF\u0627\uFFFE", u"\u0627"},
    {"NUL units end nothing", std::u16string(u"\0\u0627\0\u0628\0", 5), u"\u0627\u0628"},
    {"only ignorables", std::u16string(u"\xD800\0\uFFFF", 3), u""},
    {"yeh with hamza before a trailing NUL is not last", std::u16string(u"\u0626\0", 2), u"\u0621"},
    {"yeh with hamza last after a surrogate", u"\xD800\u0626", u"\u06CC\u0654"},
};

TEST_F(HostileInputTest, IgnorableUnitsAddNothing) {
    for (const IgnorableCase& c : kIgnorableCases) {
        SCOPED_TRACE(c.why);
        for (int level = 1; level <= 3; ++level) EXPECT_EQ(Key(c.hostile, level), Key(c.clean, level));
        // Equal keys: the tie rule alone decides, on the units as passed.
        EXPECT_EQ(lib_.Compare(c.clean, c.hostile, 3), c.clean.size() < c.hostile.size() ? -1 : 0);
        EXPECT_EQ(lib_.Compare(c.hostile, c.clean, 3), c.hostile.size() < c.clean.size() ? -1 : 0);
    }
}

TEST_F(HostileInputTest, AnIgnorableUnitBetweenAPairBreaksTheContraction) {
    EXPECT_EQ(Key(u"\u0644\u0627", 1), "\x11");
    EXPECT_EQ(Key(u"\u0644\xD800\u0627", 1), "\x10\x03");
    EXPECT_EQ(Key(std::u16string(u"\u0644\0\u0627", 3), 1), "\x10\x03");
}

TEST_F(HostileInputTest, EveryCodeUnitAloneAndAllTogether) {
    std::u16string all;
    std::string expected;  // level-1 bytes of every unit, in order
    for (char32_t u = 0; u <= 0xFFFF; ++u) {
        const std::u16string one(1, static_cast<char16_t>(u));
        all += one;
        const std::string key = Key(one, 1);
        const bool weighs = u == u' ' || u == u'\u0621' || u == u'\u0627' || u == u'\u0628' ||
                            u == u'\u0644' || u == u'\u0648' || u == u'\u06CC' || u == u'\u06D2' ||
                            (u >= u'\u0623' && u <= u'\u0626') || u == u'\u06D3';
        EXPECT_EQ(!key.empty(), weighs) << std::hex << static_cast<unsigned>(u);
        // Inside the long string U+0626 is not the last unit: a bare hamza.
        expected += u == u'\u0626' ? Key(u"\u0621", 1) : key;
    }
    // No neighbours form the contraction (lam is followed by U+0645), so the
    // whole string weighs as its units one by one.
    EXPECT_EQ(Key(all, 1), expected);
}

TEST_F(HostileInputTest, LevelsOutsideOneToThree) {
    const std::u16string text = u"\u0644\u0627 \u0628\u200C";
    for (int level : {INT_MIN, -1, 0}) {
        EXPECT_EQ(Key(text, level), "") << level;
        EXPECT_EQ(lib_.Compare(text, u"\u0628", level), 0) << level;  // tie rule: longer first stays 0
        EXPECT_EQ(lib_.Compare(u"\u0628", text, level), -1) << level;
    }
    for (int level : {4, 100, INT_MAX}) {
        EXPECT_EQ(Key(text, level), Key(text, 3)) << level;
        EXPECT_EQ(lib_.Compare(text, u"\u0628", level), lib_.Compare(text, u"\u0628", 3)) << level;
    }
}

// Processor time, best of three runs: other processes on a busy machine
// (parallel tests, sanitizers) would distort wall-clock ratios.
template <typename Call>
double Seconds(Call call) {
    double best = 1e9;
    for (int run = 0; run < 5; ++run) {
        const std::clock_t start = std::clock();
        call();
        best = std::min(best, static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC);
    }
    return best;
}

TEST_F(HostileInputTest, TenMillionUnitsTakeLinearTime) {
    // A contraction, hamza letters (one grows the prepared string), a space,
    // the joiner, an ignorable unit and a lam that pairs with nothing.
    const std::u16string pattern = u"\u0644\u0627\u0626\u0623 \u200C\xD800\u0628\u0644\u0628";
    std::u16string small, large;
    for (int i = 0; i < 100000; ++i) small += pattern;
    for (int i = 0; i < 10; ++i) large += small;
    ASSERT_EQ(large.size(), 10000000u);

    // Bytes per pattern: 7 at level 1, 7 at level 2, 8 at level 3.
    std::string key;
    const double smallTime = Seconds([&] { key = Key(small); });
    EXPECT_EQ(key.size(), 100000u * (7 + 7 + 8));
    const double largeTime = Seconds([&] { key = Key(large); });
    EXPECT_EQ(key.size(), 1000000u * (7 + 7 + 8));
    EXPECT_LT(largeTime / smallTime, 16.0) << smallTime << " s for 1M units, " << largeTime << " s for 10M";

    // Equal but for the last unit (beh, waw): the comparison walks both whole.
    const std::u16string smallOther = small.substr(0, small.size() - 1) + u"\u0648";
    const std::u16string largeOther = large.substr(0, large.size() - 1) + u"\u0648";
    int result = 0;
    const double smallCompare = Seconds([&] { result = lib_.Compare(small, smallOther, 3); });
    EXPECT_EQ(result, -1);
    const double largeCompare = Seconds([&] { result = lib_.Compare(large, largeOther, 3); });
    EXPECT_EQ(result, -1);
    EXPECT_LT(largeCompare / smallCompare, 16.0) << smallCompare << " s for 1M units, " << largeCompare << " s for 10M";
}

TEST_F(HostileInputTest, CopiesAndSelfAssignmentKeepWorkingTables) {
    const std::u16string text = u"\u0644\u0627\u0623";
    const std::string key = Key(text);
    ZabreloLib copy(lib_);
    ZabreloLib& self = lib_;
    lib_ = self;
    EXPECT_EQ(Key(text), key);
    ZabreloLib empty;
    copy = empty;  // the copy drops its table, the original keeps it
    EXPECT_EQ(copy.GetCollationKey(text, 3), "");
    EXPECT_EQ(Key(text), key);
    empty = lib_;
    EXPECT_EQ(empty.GetCollationKey(text, 3), key);
}

}  // namespace

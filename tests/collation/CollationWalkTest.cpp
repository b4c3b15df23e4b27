// The walk over a prepared string: hamza rewriting, contractions, the
// special code point, spaces and ignorables, checked as exact key bytes
// against a tiny table whose weights name what produced them.
#include <gtest/gtest.h>

#include <random>

#include "TestFiles.h"
#include "TestText.h"
#include "collation/CollationEngine.h"

namespace {

using zabrelo::CollationEngine;
using zabrelo_test::Hex;
using zabrelo_test::TempDir;

// Primaries: alef 20, lam 30, lam-alef 40, beh 50, beh-lam 51, thal 01 (a
// primary below the secondaries, to show how levels join), hamza 60, farsi
// yeh 61, yeh barree 62, waw 63. The hamza marks have secondaries only.
constexpr char kTinyTable[] =
    "FA=tiny\r\n"
    "[0627][20,2,3]\r\n"
    "[0644][30,1,1]\r\n"
    "[0644,0627][40,5,6]\r\n"
    "[0628][50,1,1]\r\n"
    "[0628,0644][51,1,1]\r\n"
    "[0630][1,1,1]\r\n"
    "[0621][60,1,1]\r\n"
    "[06CC][61,1,1]\r\n"
    "[06D2][62,1,1]\r\n"
    "[0648][63,1,1]\r\n"
    "[0654][0,9,0]\r\n"
    "[0655][0,A,0]\r\n"
    "[200C][0,0,7]\r\n";

class WalkTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(engine_.Initialize(dir_.Write("tiny.txt", kTinyTable).c_str())); }
    std::string Key(const std::u16string& text, int level = 3) { return Hex(engine_.BuildKey(text, level)); }

    TempDir dir_;
    CollationEngine engine_;
};

struct KeyCase { const char* why; std::u16string text; int level; std::string key; };

const KeyCase kKeyCases[] = {
    // Hamza rewriting: only the last unit of the whole input counts as the end.
    {"yeh with hamza inside becomes a hamza", u"\u0626\u0628", 3, "60 50 01 01 01 01 "},
    {"yeh with hamza at the end becomes yeh + mark", u"\u0628\u0626", 3, "50 61 01 01 09 01 01 "},
    {"before a space is not the end", u"\u0626 \u0628", 3, "60 41 50 01 01 01 01 "},
    {"alone, it is the last unit", u"\u0626", 3, "61 01 09 01 "},
    {"yeh barree with hamza splits", u"\u06D3", 3, "62 01 09 01 "},
    {"waw with hamza splits", u"\u0624", 3, "63 01 09 01 "},
    {"alef with hamza above splits", u"\u0623", 3, "20 02 09 03 "},
    {"alef with hamza below splits", u"\u0625", 3, "20 02 0A 03 "},
    {"alef with madda is not rewritten (no line here)", u"\u0622", 3, ""},
    // Contractions.
    {"a contraction is one element", u"\u0644\u0627", 3, "40 05 06 "},
    {"base then a follower it does not pair with", u"\u0628\u0627", 3, "50 20 01 02 01 03 "},
    {"doubled letter matched by its own entry 0", u"\u0644\u0644", 3, "30 01 01 "},
    {"a last unit never starts a contraction", u"\u0644", 3, "30 01 01 "},
    {"a follower alone weighs its own", u"\u0627", 3, "20 02 03 "},
    {"a contraction after the rewrite", u"\u0628\u0644\u0623", 3, "51 20 01 02 09 01 03 "},
    // Spaces, ignorables and the special code point.
    {"a space is 0x41 at level 1 only", u"\u0627 \u0627", 3, "20 41 20 02 02 03 03 "},
    {"Latin, digits, tabs are ignorable", u"ab1\t", 3, ""},
    {"unlisted Arabic units are ignorable", u"\u0633\u06F5", 3, ""},
    {"hostile units are ignorable", std::u16string(u"\xD800\xDC00\xFFFF\0\xDFFF", 5), 3, ""},
    {"the non-joiner once the table defines it", u"\u0627\u200C", 3, "20 02 03 07 "},
    // Levels.
    {"level 1", u"\u0623\u0644", 1, "20 30 "},
    {"level 2", u"\u0623\u0644", 2, "20 30 02 09 01 "},
    {"level 0 is empty", u"\u0627", 0, ""},
    {"a negative level is empty", u"\u0627", -4, ""},
    {"level 5 is level 3", u"\u0627", 5, "20 02 03 "},
    {"empty input", u"", 3, ""},
};

TEST_F(WalkTest, KeyBytes) {
    for (const KeyCase& c : kKeyCases) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(Key(c.text, c.level), c.key);
    }
}

TEST_F(WalkTest, WeightsAbove255CountByTheirLowByte) {
    ASSERT_TRUE(engine_.Initialize(dir_.Write("big.txt", "FA=\r\n[0627][100,1FF,2]\r\n").c_str()));
    EXPECT_EQ(Key(u"\u0627"), "00 FF 02 ");  // 0x100 is not zero, so it adds a 0 byte
}

TEST(WalkWithoutTableTest, NonJoinerWeighsNothingUntilATableDefinesIt) {
    TempDir dir;
    CollationEngine engine;
    EXPECT_EQ(engine.BuildKey(u"\u200C \u0627", 3), "\x41");
    ASSERT_TRUE(engine.Initialize(dir.Write("t.txt", "FA=\r\n[200C][0,0,7]\r\n").c_str()));
    EXPECT_EQ(engine.BuildKey(u"\u200C", 3), "\x07");
}

TEST_F(WalkTest, NextElementWritesOnlyTheLevelsAskedForFromTheTable) {
    std::int32_t w[3] = {-1, -1, -1};
    engine_.PrepareInput(u"\u0627 x");
    EXPECT_FALSE(engine_.NextElement(w, 1));
    EXPECT_EQ((std::vector<std::int32_t>(w, w + 3)), (std::vector<std::int32_t>{0x20, -1, -1}));
    EXPECT_FALSE(engine_.NextElement(w, 1));  // the space fills all three
    EXPECT_EQ((std::vector<std::int32_t>(w, w + 3)), (std::vector<std::int32_t>{0x41, 0, 0}));
    w[1] = w[2] = -1;
    EXPECT_FALSE(engine_.NextElement(w, 2));  // so does an ignorable unit
    EXPECT_EQ((std::vector<std::int32_t>(w, w + 3)), (std::vector<std::int32_t>{0, 0, 0}));
    for (int i = 0; i < 3; ++i) {  // the end is sticky
        w[0] = 5;
        EXPECT_TRUE(engine_.NextElement(w, 3));
        EXPECT_EQ(w[0], 0);
    }
}

TEST_F(WalkTest, PreparedStringIsLongerThanTheInputAndFullyWalked) {
    engine_.PrepareInput(u"\u0623\u0624\u06D3");
    int elements = 0;
    std::int32_t w[3];
    while (!engine_.NextElement(w, 3)) ++elements;
    EXPECT_EQ(elements, 6);
}

struct CompareCase { const char* why; std::u16string a, b; int level; int result; };

const CompareCase kCompareCases[] = {
    {"two empty strings", u"", u"", 3, 0},
    {"an empty key sorts first", u"", u"\u0627", 3, -1},
    {"letter order", u"\u0627", u"\u0628", 3, -1},
    {"letter order, reversed", u"\u0628", u"\u0627", 3, 1},
    {"tie rule: fewer units gives -1", u"a", u"ab", 3, -1},
    {"tie rule: more units stays 0", u"ab", u"a", 3, 0},
    {"secondary difference ignored at level 1", u"\u0627", u"\u0623", 1, 0},
    {"secondary difference counts at level 2", u"\u0627", u"\u0623", 2, -1},
    {"a tertiary-only element counts at level 3", u"\u0627\u200C", u"\u0627", 3, 1},
    {"at level 2 the non-joiner is ignorable, tie rule decides", u"\u0627\u200C", u"\u0627", 2, 0},
    {"level-2 bytes meet the other key's level-1 bytes", u"\u0627", u"\u0627\u0630", 3, 1},
    {"level 0: the tie rule alone", u"\u0628", u"\u0627\u0627", 0, -1},
    {"level 0, longer first", u"\u0627\u0627", u"\u0628", 0, 0},
    {"level 5 is level 3", u"\u0627", u"\u0627\u200C", 5, -1},
};

TEST_F(WalkTest, CompareResults) {
    for (const CompareCase& c : kCompareCases) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(engine_.CompareStrings(c.a, c.b, c.level), c.result);
    }
}

// Keys take a shortcut for units whose own weights settle them; the element
// walk over the prepared string is the reference. The routing table is made
// to trip a wrong shortcut: pairs ending in a rewritten letter or in what
// one becomes, a slot opened by a pair line, a doubled letter paired through
// its own entry, a follower without a slot, a 0x100 weight and a slot that
// weighs nothing.
constexpr char kRoutingTable[] =
    "FA=routing\r\n"
    "[0628,0626][70,1,1]\r\n"
    "[0628][50,1,1]\r\n"
    "[0644][30,1,1]\r\n"
    "[0644,0621][71,2,2]\r\n"
    "[0644,06CC][72,2,2]\r\n"
    "[0627][20,2,3]\r\n"
    "[0627,0654][73,3,3]\r\n"
    "[0621][60,1,1]\r\n"
    "[06CC][61,1,1]\r\n"
    "[06D2][62,1,1]\r\n"
    "[0654][0,9,0]\r\n"
    "[0645][100,0,1]\r\n"
    "[0645,0645][74,1,1]\r\n"
    "[0633][0,0,0]\r\n"
    "[0634,0635][75,1,1]\r\n"
    "[200C][0,0,7]\r\n";

std::string KeyFromElementWalk(CollationEngine& engine, const std::u16string& text, int level) {
    std::vector<std::int32_t> weights;
    std::int32_t w[3];
    engine.PrepareInput(text);
    while (!engine.NextElement(w, 3)) weights.insert(weights.end(), w, w + 3);
    std::string key;
    for (int l = 0; l < level; ++l)
        for (std::size_t e = static_cast<std::size_t>(l); e < weights.size(); e += 3)
            if (weights[e] != 0) key += static_cast<char>(weights[e] & 0xFF);
    return key;
}

TEST(WalkShortcutTest, KeysAgreeWithTheElementWalkOnGeneratedStrings) {
    const char16_t alphabet[] = u"\u0628\u0626\u0644\u0621\u06CC\u0627\u0654\u0623\u0625\u0624\u06D3\u0645"
                                u"\u0633\u0634\u0635\u06BE\u0648\u06D2\u0655\u0653\u200C \xD800";
    TempDir dir;
    const std::string tables[] = {dir.Write("tiny.txt", kTinyTable), dir.Write("routing.txt", kRoutingTable),
                                  ZABRELO_DEFAULT_TABLE};
    for (const std::string& table : tables) {
        SCOPED_TRACE(table);
        CollationEngine engine;
        ASSERT_TRUE(engine.Initialize(table.c_str()));
        std::mt19937 random(11);
        std::uniform_int_distribution<int> length(0, 10);
        std::uniform_int_distribution<std::size_t> pick(0, sizeof alphabet / sizeof alphabet[0] - 2);
        for (int i = 0; i < 5000; ++i) {
            std::u16string text;
            for (int n = length(random); n > 0; --n) text.push_back(alphabet[pick(random)]);
            for (int level = 1; level <= 3; ++level)
                ASSERT_EQ(Hex(engine.BuildKey(text, level)), Hex(KeyFromElementWalk(engine, text, level)))
                    << "string " << i << ", level " << level;
        }
    }
}

}  // namespace

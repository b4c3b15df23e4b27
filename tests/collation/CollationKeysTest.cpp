// Keys and comparison over a table: the hamza rewriting, contractions, the
// special code point, spaces and ignorables as exact key bytes against a tiny
// table whose weights name what produced them; units nobody should pass
// (broken surrogates, noncharacters, NUL units, every code unit) and absurd
// levels; the caller's buffer; texts that are a pointer and a length inside
// a longer buffer; and keys checked against the element walk on generated
// strings.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <memory>
#include <vector>

#include "KeyOrder.h"
#include "TestTables.h"
#include "TestText.h"
#include "UrduText.h"
#include "collation/CollationWalk.h"
#include "collation/Utf8Keys.h"
#include "text/Utf8.h"

namespace {

using zabrelo::CollationTable;
using zabrelo_test::Hex;
using zabrelo_test::KeyOrder;
using zabrelo_test::TestTable;

class KeysTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(table_.Load(zabrelo_test::kTinyTable)); }
    std::string Key(const std::u16string& text, int level = 3) { return Hex(table_.Key(text, level)); }

    TestTable table_;
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
    {"a NUL unit between a pair breaks it", std::u16string(u"\u0644\0\u0627", 3), 1, "30 20 "},
    {"so does any other ignorable unit", u"\u0644\xD800\u0627", 1, "30 20 "},
    {"the non-joiner once the table defines it", u"\u0627\u200C", 3, "20 02 03 07 "},
    // Levels.
    {"level 1", u"\u0623\u0644", 1, "20 30 "},
    {"level 2", u"\u0623\u0644", 2, "20 30 02 09 01 "},
    {"level 0 is empty", u"\u0627", 0, ""},
    {"a negative level is empty", u"\u0627", -4, ""},
    {"the lowest level is empty", u"\u0627", INT_MIN, ""},
    {"level 5 is level 3", u"\u0627", 5, "20 02 03 "},
    {"the highest level is level 3", u"\u0627", INT_MAX, "20 02 03 "},
    {"empty input", u"", 3, ""},
};

TEST_F(KeysTest, KeyBytes) {
    for (const KeyCase& c : kKeyCases) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(Key(c.text, c.level), c.key);
    }
}

// The full order reads every line of a table; the classic order of the
// same file only the block's first three weights of each.
struct OrderCase { const char* why; std::u16string text; std::string full; std::string classic; };
const OrderCase kFullOrderCases[] = {
    {"a line outside the block, of two elements", u"a", "F4 42 01 02 ", ""},
    {"an element after a lead byte, then a letter", u"a\u0628", "F4 42 50 01 01 02 01 ", "50 01 01 "},
    {"a letter of the block with two elements", u"\u0645", "80 81 01 01 ", "80 "},
    {"a mark as a level-2-only element of an expansion", u"\u0661", "57 01 03 04 ", "57 01 04 "},
    {"a pair that starts outside the block", u"a\u0654", "90 03 03 ", "09 "},
    {"U+FFFF weighs as itself", u"\uFFFF\u0628", "43 50 01 01 01 01 ", "50 01 01 "},
    {"no line for a surrogate or the space", u"\xD800 ", "41 ", "41 "},
    {"a no-break space as a space", u"\u0628\u00A0\u0628", "50 41 50 01 01 01 01 ", "50 50 01 01 01 01 "},
    {"ي with hamza inside a text is ئ, a hamza", u"\u064A\u0654\u0628", "60 50 01 01 01 01 ", "62 50 02 01 02 01 "},
    {"ی with hamza inside a text too", u"\u06CC\u0654\u0628", "60 50 01 01 01 01 ", "62 50 02 01 01 01 "},
    {"ئ inside a text, for comparison", u"\u0626\u0628", "60 50 01 01 01 01 ", "60 50 01 01 01 01 "},
    {"ي with hamza last is a final ئ", u"\u0628\u064A\u0654", "50 62 01 02 01 01 ", "50 62 01 02 01 02 "},
    {"a final ئ, for comparison", u"\u0628\u0626", "50 62 01 02 01 01 ", "50 62 01 02 01 01 "},
};

TEST(FullOrderTest, KeysOfTheFullAndTheClassicLoad) {
    TestTable full, classic;
    ASSERT_TRUE(full.LoadFull(zabrelo_test::kFullTable));
    ASSERT_TRUE(classic.Load(zabrelo_test::kFullTable));
    for (const OrderCase& c : kFullOrderCases) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(Hex(full.Key(c.text, 3)), c.full);
        EXPECT_EQ(Hex(classic.Key(c.text, 3)), c.classic);
    }
}

// Units no table weighs, wherever they stand, add nothing to a key; and the
// keys of the letters around them stay as they were.
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

TEST_F(KeysTest, IgnorableUnitsAddNothing) {
    for (const IgnorableCase& c : kIgnorableCases) {
        SCOPED_TRACE(c.why);
        for (int level = 1; level <= 3; ++level) EXPECT_EQ(Key(c.hostile, level), Key(c.clean, level));
        // Equal keys: the tie rule alone decides, on the units as passed.
        EXPECT_EQ(table_.Compare(c.clean, c.hostile), c.clean.size() < c.hostile.size() ? -1 : 0);
        EXPECT_EQ(table_.Compare(c.hostile, c.clean), c.hostile.size() < c.clean.size() ? -1 : 0);
    }
}

TEST_F(KeysTest, EveryCodeUnitAloneAndAllTogether) {
    std::u16string all;
    std::string expected;  // level-1 bytes of every unit, in order
    for (char32_t u = 0; u <= 0xFFFF; ++u) {
        const std::u16string one(1, static_cast<char16_t>(u));
        all += one;
        const std::string key = table_.Key(one, 1);
        // The table's letters with a primary, the space, and the letters
        // rewritten into one of them.
        const bool weighs = u == u' ' || u == u'\u0621' || u == u'\u0627' || u == u'\u0628' ||
                            u == u'\u0630' || u == u'\u0644' || u == u'\u0648' || u == u'\u06CC' ||
                            u == u'\u06D2' || (u >= u'\u0623' && u <= u'\u0626') || u == u'\u06D3';
        EXPECT_EQ(!key.empty(), weighs) << std::hex << static_cast<unsigned>(u);
        // Inside the long string U+0626 is not the last unit: a bare hamza.
        expected += u == u'\u0626' ? table_.Key(u"\u0621", 1) : key;
    }
    // No neighbours form a pair (lam is followed by U+0645, beh by U+0629),
    // so the whole string weighs as its units one by one.
    EXPECT_EQ(Hex(table_.Key(all, 1)), Hex(expected));
}

// A letter's pairs are looked up, not scanned: with a million entries in
// beh's list, the one that pairs it with lam last of all, a key of a text
// full of beh-lam takes about as long as with a list of three entries.
// Every entry but the last repeats the first pair, which stays the one
// that wins.
TEST(PairLookUpTest, DoesNotGrowWithTheEntriesOfALetter) {
    const std::string start = "FA=pairs\r\n[0628][50,1,1]\r\n[0627][20,2,3]\r\n[0644][30,1,1]\r\n[0628,0627][52,1,1]\r\n";
    std::string repeated;
    for (int i = 0; i < 1000000; ++i) repeated += "[0628,0627][53,1,1]\r\n";
    const std::string end = "[0628,0644][51,1,1]\r\n";
    TestTable few, many;
    ASSERT_TRUE(few.Load(start + end));
    ASSERT_TRUE(many.Load(start + repeated + end));
    ASSERT_EQ(many.Entries(0x0628), 1000003u);

    std::u16string text;
    for (int i = 0; i < 200; ++i) text += u"\u0628\u0644\u0628\u0627";
    const std::string utf8 = zabrelo::Utf16ToUtf8(text, zabrelo::LoneSurrogate::kReplace);
    const auto fastest = [&](const TestTable& table, std::string& key) {
        auto best = std::chrono::steady_clock::duration::max();
        for (int round = 0; round < 5; ++round) {
            const auto begin = std::chrono::steady_clock::now();
            key = table.Key(text);
            unsigned char out[4096];
            const std::size_t size = zabrelo::WriteUtf8Key(*table, utf8.data(), utf8.size(), 3, out, sizeof out);
            key += std::string(reinterpret_cast<const char*>(out), size);
            best = std::min(best, std::chrono::steady_clock::now() - begin);
        }
        return best;
    };
    std::string fewKey, manyKey;
    const auto fewTime = fastest(few, fewKey);
    const auto manyTime = fastest(many, manyKey);
    EXPECT_EQ(Hex(manyKey), Hex(fewKey));
    EXPECT_EQ(Hex(fewKey.substr(0, 4)), "51 52 51 52 ");
    // A scan of the list takes about a second here.
    const auto micro = [](std::chrono::steady_clock::duration d) {
        return std::chrono::duration_cast<std::chrono::microseconds>(d).count();
    };
    EXPECT_LT(micro(manyTime), 10 * micro(fewTime) + 5000) << "microseconds, against " << micro(fewTime);
}

TEST_F(KeysTest, WeightsAbove255CountByTheirLowByte) {
    ASSERT_TRUE(table_.Load("FA=\r\n[0627][100,1FF,2]\r\n"));
    EXPECT_EQ(Key(u"\u0627"), "00 FF 02 ");  // 0x100 is not zero, so it adds a 0 byte
}

TEST(KeysWithoutTableTest, NonJoinerWeighsNothingUntilATableDefinesIt) {
    TestTable table;
    EXPECT_EQ(table.Key(u"\u200C \u0627"), "\x41");
    ASSERT_TRUE(table.Load("FA=\r\n[200C][0,0,7]\r\n"));
    EXPECT_EQ(table.Key(u"\u200C"), "\x07");
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
    {"the lowest level: the tie rule alone", u"\u0628", u"\u0627\u0627", INT_MIN, -1},
    {"the lowest level, longer first", u"\u0627\u0627", u"\u0628", INT_MIN, 0},
    {"the highest level is level 3", u"\u0627", u"\u0627\u200C", INT_MAX, -1},
};

TEST_F(KeysTest, CompareResults) {
    for (const CompareCase& c : kCompareCases) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(table_.Compare(c.a, c.b, c.level), c.result);
    }
}

// A text handed over as a pointer and a length ends at that length, whatever
// stands behind it in the caller's buffer: the unit after the end would pair
// with the last one, or make a yeh with hamza not the last unit.
struct SliceCase { const char* why; std::u16string buffer; std::size_t length; };
const SliceCase kSliceCases[] = {
    {"lam before an alef outside the text", u"\u0644\u0627", 1},
    {"beh before a lam outside the text", u"\u0628\u0644", 1},
    {"yeh with hamza is last though a letter follows", u"\u0628\u0626\u0628", 2},
    {"the split letter's mark stays inside", u"\u0623\u0654", 1},
    {"a space outside the text", u"\u0627 ", 1},
    {"nothing of the buffer", u"\u0627\u0644", 0},
};

TEST_F(KeysTest, TextsEndAtTheirLengthInsideALongerBuffer) {
    for (const SliceCase& c : kSliceCases) {
        SCOPED_TRACE(c.why);
        const std::u16string text = c.buffer.substr(0, c.length);
        for (int level = 1; level <= 3; ++level) {
            const std::string key = table_.Key(text, level);
            EXPECT_EQ(Hex(zabrelo::BuildKey(*table_, c.buffer.data(), c.length, level)), Hex(key));
            unsigned char out[32];
            const std::size_t size = zabrelo::WriteKey(*table_, c.buffer.data(), c.length, level, out, sizeof out);
            EXPECT_EQ(Hex(std::string(reinterpret_cast<const char*>(out), size)), Hex(key));
            EXPECT_EQ(zabrelo::CompareStrings(*table_, c.buffer.data(), c.length, text.data(), text.size(), level), 0);
            EXPECT_EQ(zabrelo::CompareStrings(*table_, text.data(), text.size(), c.buffer.data(), c.length, level), 0);
        }
    }
}

// A text of 600 units takes the one-level-at-a-time path for long texts.
const std::u16string kLongText = [] {
    std::u16string text;
    for (int i = 0; i < 100; ++i) text += u"\u0644\u0627\u0626 \u0623\u0628";
    return text;
}();

TEST_F(KeysTest, WriteKeyFillsTheBufferItIsGivenAndTellsTheWholeLength) {
    for (const std::u16string& text : {std::u16string(u"\u0644\u0627\u0623 \u0628\u200C"), kLongText}) {
        const std::string key = table_.Key(text);
        ASSERT_GT(key.size(), 3u);
        EXPECT_EQ(zabrelo::WriteKey(*table_, text.data(), text.size(), 3, nullptr, 0), key.size());
        const std::size_t n = key.size();
        for (const std::size_t capacity : {std::size_t{1}, n / 2, n - 1, n, n + 3}) {
            SCOPED_TRACE(capacity);
            std::vector<unsigned char> out(key.size() + 8, 0xEE);
            EXPECT_EQ(zabrelo::WriteKey(*table_, text.data(), text.size(), 3, out.data(), capacity), key.size());
            const std::size_t written = std::min(capacity, key.size());
            EXPECT_EQ(std::string(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(written)),
                      key.substr(0, written));
            for (std::size_t k = written; k < out.size(); ++k) ASSERT_EQ(out[k], 0xEE) << "byte " << k;
        }
        EXPECT_EQ(zabrelo::WriteKey(*table_, text.data(), text.size(), 0, nullptr, 0), 0u);
    }
}

// The reference: the key built from the step-by-step element walk.
std::string KeyFromElementWalk(const CollationTable& table, const std::u16string& text, int level) {
    std::vector<std::int32_t> weights;
    std::int32_t w[3];
    zabrelo::CollationWalk walk(table);
    walk.PrepareInput(text);
    while (!walk.NextElement(w, 3)) weights.insert(weights.end(), w, w + 3);
    std::string key;
    for (int l = 0; l < level; ++l)
        for (std::size_t e = static_cast<std::size_t>(l); e < weights.size(); e += 3)
            if (weights[e] != 0) key += static_cast<char>(weights[e] & 0xFF);
    return key;
}

// Keys take a shortcut for units whose own weights settle them; the element
// walk over the prepared string is the reference, on three tables, one made
// to trip a wrong shortcut. Each text is also handed over in a buffer of
// exactly its length (a read past it shows under the address sanitizer) and
// in one with a unit behind it (a read past it changes the key), and some
// texts are long enough for the long-text path.
TEST(KeysAgainstTheWalkTest, KeysAgreeWithTheElementWalkOnGeneratedStrings) {
    TestTable tiny, routing, urdu, full;
    ASSERT_TRUE(tiny.Load(zabrelo_test::kTinyTable));
    ASSERT_TRUE(routing.Load(zabrelo_test::kRoutingTable));
    ASSERT_TRUE(urdu.LoadFile(ZABRELO_DEFAULT_TABLE));
    ASSERT_TRUE(full.LoadFull(zabrelo_test::kFullTable));
    for (const TestTable* table : {&tiny, &routing, &urdu, &full}) {
        zabrelo_test::Random random(11);
        std::u16string previous;
        for (int i = 0; i < 5000; ++i) {
            const std::size_t length = i % 100 == 99 ? 505 + random.Below(15) : random.Below(11);
            const std::u16string text = zabrelo_test::RandomUnits(random, zabrelo_test::kWalkAlphabet, length);
            const std::unique_ptr<char16_t[]> exact(new char16_t[length]);
            std::copy(text.begin(), text.end(), exact.get());
            const std::u16string followed = text + zabrelo_test::RandomUnits(random, zabrelo_test::kWalkAlphabet, 1);
            for (int level = 1; level <= 3; ++level) {
                const std::string expected = Hex(KeyFromElementWalk(**table, text, level));
                ASSERT_EQ(Hex(table->Key(text, level)), expected) << "string " << i << ", level " << level;
                ASSERT_EQ(Hex(zabrelo::BuildKey(**table, exact.get(), length, level)), expected) << "string " << i;
                ASSERT_EQ(Hex(zabrelo::BuildKey(**table, followed.data(), length, level)), expected) << "string " << i;
                ASSERT_EQ(zabrelo::CompareStrings(**table, exact.get(), length, followed.data(), length, level), 0);
                // Against the previous string: whole keys, then the tie rule.
                ASSERT_EQ(
                    zabrelo::CompareStrings(**table, exact.get(), length, previous.data(), previous.size(), level),
                    KeyOrder(table->Key(text, level), text.size(), table->Key(previous, level), previous.size()))
                    << "string " << i << ", level " << level;
                // Against one that starts with the same unit, which the comparison may step over.
                std::u16string sibling = previous;
                if (!sibling.empty() && !text.empty()) sibling[0] = text[0];
                ASSERT_EQ(
                    zabrelo::CompareStrings(**table, text.data(), text.size(), sibling.data(), sibling.size(), level),
                    KeyOrder(table->Key(text, level), text.size(), table->Key(sibling, level), sibling.size()))
                    << "string " << i << ", level " << level;
            }
            previous = text;
        }
    }
}

}  // namespace

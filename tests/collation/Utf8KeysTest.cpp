// Keys and comparison of UTF-8 text read leniently. The reference is the
// UTF-16 path: the lenient decoder, then WriteKey or CompareKeys. Comparison
// takes shortcuts (it starts where two texts differ, reads most letters
// straight from their bytes, and settles a text that is the start of the
// other by its next level), so generated pairs share starts, end inside one
// another, and hold every kind of unit the walk treats apart, ill-formed
// bytes included, on three tables, one made to trip a wrong shortcut.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "TestTables.h"
#include "TestText.h"
#include "collation/CollationKeys.h"
#include "collation/Utf8Keys.h"
#include "text/Utf8.h"

namespace {

using zabrelo::LoneSurrogate;
using zabrelo_test::TestTable;

// A text in a heap block of exactly its size, so that a read past it shows
// under the address sanitizer.
class Exact {
public:
    explicit Exact(const std::string& text) : size_(text.size()), bytes_(new char[text.size() + 1]) {
        text.copy(bytes_.get(), text.size());
    }
    const char* data() const { return bytes_.get(); }
    std::size_t size() const { return size_; }

private:
    std::size_t size_;
    std::unique_ptr<char[]> bytes_;
};

int ReferenceOrder(const zabrelo::CollationTable& table, const std::string& a, const std::string& b, int level) {
    const std::u16string x = zabrelo::Utf8ToUtf16Lenient(a.data(), a.size(), LoneSurrogate::kReplace);
    const std::u16string y = zabrelo::Utf8ToUtf16Lenient(b.data(), b.size(), LoneSurrogate::kReplace);
    return zabrelo::CompareKeys(table, x.data(), x.size(), y.data(), y.size(), level);
}

std::string ReferenceKey(const zabrelo::CollationTable& table, const std::string& text, int level) {
    const std::u16string units = zabrelo::Utf8ToUtf16Lenient(text.data(), text.size(), LoneSurrogate::kReplace);
    return zabrelo::BuildKey(table, units.data(), units.size(), level);
}

int Utf8Order(const zabrelo::CollationTable& table, const std::string& a, const std::string& b, int level) {
    const Exact x(a), y(b);
    return zabrelo::CompareUtf8Keys(table, x.data(), x.size(), y.data(), y.size(), level);
}

// Pieces of text: letters of every route on the three tables (own weights,
// pair bases and followers, rewritten hamza letters, ones without weights),
// drawn most often, so that they meet where two texts differ; then the
// space, U+200C, Latin, digits, a character beyond the BMP, and ill-formed
// bytes: a lone continuation byte, lead bytes whose sequence is cut,
// overlong forms, an encoded surrogate, a byte that is never UTF-8.
const char* const kLetters[] = {
    "\xD8\xA8", "\xD8\xA6", "\xD9\x84", "\xD8\xA1", "\xDB\x8C", "\xD8\xA7", "\xD9\x94", "\xD8\xA3",
    "\xD8\xA5", "\xD8\xA4", "\xDB\x93", "\xD9\x85", "\xD8\xB3", "\xD8\xB4", "\xD8\xB5", "\xDA\xBE",
    "\xD9\x88", "\xDB\x92", "\xD9\x95", "\xD9\x93", "\xD8\xAA", "\xDA\xA9", "\xD9\x80", "\xDB\xBA",
    "\xD8\xB0", "\xD9\x8E",
};
const char* const kOthers[] = {
    " ", "\xE2\x80\x8C", "a", "Z", "7", "\t", "\xF0\x9F\x98\x80", "\x80", "\xD8", "\xDA", "\xE2\x80", "\xC0\xAF",
    "\xED\xA0\x80", "\xFF",
};

std::string Pieces(std::mt19937& random, std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        if (random() % 4 != 0) {
            text += kLetters[random() % (sizeof kLetters / sizeof kLetters[0])];
        } else {
            text += kOthers[random() % (sizeof kOthers / sizeof kOthers[0])];
        }
    }
    return text;
}

// Elements without a level-1 weight, which comparison passes over: marks,
// a pair of two letters (whose second weighs at level 1 alone), a pair of
// a letter and a mark.
constexpr char kMarksTable[] =
    "FA=marks\r\n"
    "[0628][50,1,1]\r\n"
    "[0628,06BE][0,3,3]\r\n"
    "[0627][20,2,3]\r\n"
    "[0627,0654][0,6,5]\r\n"
    "[0654][0,9,0]\r\n"
    "[064E][0,4,0]\r\n"
    "[06BE][60,0,2]\r\n"
    "[0644][30,1,1]\r\n";

class Utf8KeysTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(tiny_.Load(zabrelo_test::kTinyTable));
        ASSERT_TRUE(routing_.Load(zabrelo_test::kRoutingTable));
        ASSERT_TRUE(marks_.Load(kMarksTable));
        ASSERT_TRUE(urdu_.LoadFile(ZABRELO_DEFAULT_TABLE));
        ASSERT_TRUE(full_.LoadFull(zabrelo_test::kFullTable));
    }
    std::vector<const TestTable*> Tables() const { return {&tiny_, &routing_, &marks_, &urdu_, &full_}; }

    TestTable tiny_, routing_, marks_, urdu_, full_;
};

TEST_F(Utf8KeysTest, ComparisonIsTheKeyOrderOfTheLenientReading) {
    for (const TestTable* table : Tables()) {
        std::mt19937 random(7);
        for (int i = 0; i < 20000; ++i) {
            // A common start, then each text its own way; often one is the
            // start of the other, or a piece is cut in two.
            std::string a = Pieces(random, random() % 6), b = a;
            a += Pieces(random, random() % 4);
            b += Pieces(random, random() % 4);
            if (i % 7 == 0 && !b.empty()) b.pop_back();
            for (int level = 0; level <= 4; ++level) {
                const int expected = ReferenceOrder(**table, a, b, level);
                ASSERT_EQ(Utf8Order(**table, a, b, level), expected)
                    << "pair " << i << ", level " << level << ": " << zabrelo_test::Hex(a) << " | "
                    << zabrelo_test::Hex(b);
                ASSERT_EQ(Utf8Order(**table, b, a, level), -expected) << "pair " << i << ", level " << level;
            }
        }
    }
}

// Tables drawn at random from the letters of kLetters: own lines and pairs
// in any order (a pair that opens a slot, doubled letters, pairs ending in
// a letter the walk rewrites, repeated pairs), weights of zero and above
// 0xFF, and U+200C. The quick paths must agree with the walk on every one.
// With `full`, lines for the characters of kOthers outside the block too,
// elements of several (expansions), pairs that start with them, and ي with
// U+0654 composing to ئ: read as the full order reads them.
std::string RandomTable(std::mt19937& random, bool full = false) {
    static const char* const kUnits[] = {"0627", "0628", "0644", "0621", "06CC", "06D2", "0648", "0654", "0655",
                                         "0626", "0623", "0625", "0624", "06D3", "0645", "06BE", "064E", "0630",
                                         "064A", "0061", "005A", "0037", "0009", "FFFD", "0020", "FFFF"};
    const std::size_t units = full ? sizeof kUnits / sizeof kUnits[0] : 18;
    const auto unit = [&] { return kUnits[random() % units]; };
    const auto weight = [&] {
        const auto kind = random() % 6;
        char hex[8];
        std::snprintf(hex, sizeof hex, "%X",
                      static_cast<unsigned>(kind == 0 ? 0 : kind == 1 ? 0x100 + random() % 0x100 : random() % 0xF0));
        return std::string(hex);
    };
    std::string table = "FA=random\r\n";
    for (int line = 5 + static_cast<int>(random() % 30); line > 0; --line) {
        const auto kind = random() % 10;
        const std::string first = kind == 9 ? "200C" : unit();
        const std::string code = kind < 5 ? first + "," + unit() : first;
        std::string weights = weight() + "," + weight() + "," + weight();
        for (auto more = full && kind >= 5 ? random() % 4 : 0; more > 0; --more)
            weights += "," + weight() + "," + weight() + "," + weight();
        table += "[" + code + "][" + weights + "]\r\n";
    }
    return table;
}

TEST(Utf8KeysOnRandomTablesTest, KeysAndOrderAreThoseOfTheLenientReading) {
    std::mt19937 random(13);
    for (int t = 0; t < 80; ++t) {
        TestTable table;
        const bool full = t % 2 == 1;
        const std::string lines = RandomTable(random, full);
        ASSERT_TRUE(full ? table.LoadFull(lines) : table.Load(lines));
        for (int i = 0; i < 1500; ++i) {
            std::string a = Pieces(random, random() % 5), b = a;
            a += Pieces(random, random() % 4);
            b += Pieces(random, random() % 4);
            const int level = 1 + static_cast<int>(random() % 3);
            ASSERT_EQ(Utf8Order(*table, a, b, level), ReferenceOrder(*table, a, b, level))
                << lines << "level " << level << ": " << zabrelo_test::Hex(a) << " | " << zabrelo_test::Hex(b);
            unsigned char key[256];
            const std::size_t size = zabrelo::WriteUtf8Key(*table, a.data(), a.size(), level, key, sizeof key);
            ASSERT_EQ(std::string(reinterpret_cast<const char*>(key), size), ReferenceKey(*table, a, level))
                << lines << "level " << level << ": " << zabrelo_test::Hex(a);
        }
    }
}

// The shortcuts in cases picked by hand, on the bundled table: where the
// first differing letter settles it, where the walk must join a letter to
// the one before the difference, where one text is the start of the other.
struct OrderCase { const char* why; const char* a; const char* b; int level; int order; };
const OrderCase kOrderCases[] = {
    {"identical", "\xDA\xA9\xD8\xAA\xD8\xA7\xD8\xA8", "\xDA\xA9\xD8\xAA\xD8\xA7\xD8\xA8", 3, 0},
    {"first letter", "\xD8\xA8", "\xD9\xBE", 3, -1},
    {"letters that share a lead byte", "\xD8\xA7\xD8\xA8", "\xD8\xA7\xD8\xAA", 1, -1},
    {"a pair after the common start", "\xD8\xA8\xDA\xBE\xD8\xA7", "\xD8\xA8\xD8\xA7", 1, 1},
    {"the start, then a space", "\xDA\xA9\xD8\xAA\xD8\xA7\xD8\xA8", "\xDA\xA9\xD8\xAA\xD8\xA7\xD8\xA8 \xD8\xA8", 3, -1},
    {"the start, then only a mark", "\xD8\xA7", "\xD8\xA7\xD9\x8E", 1, 0},
    {"the start, then only a mark, level 2", "\xD8\xA7", "\xD8\xA7\xD9\x8E", 2, -1},
    {"a last U+0626 reads as yeh and mark", "\xD8\xA8\xD8\xA6", "\xD8\xA8\xD8\xA6\xD8\xA8", 1, 1},
    {"a pair where the texts differ", "\xD9\xBE\xDA\xBE\xD9\x84", "\xD9\xBE\xD8\xAA\xD8\xA7", 1, 1},
    {"U+0626 inside a text reads as a hamza", "\xD9\x84\xD8\xA6\xDB\x92", "\xD9\x84\xDB\x8C\xDB\x92", 1, -1},
    {"a mark before the letters that differ", "\xD8\xA7\xD9\x8E\xD8\xA8", "\xD8\xA7\xD9\xBE", 1, -1},
    {"a space against a letter", "\xDA\xA9\xD8\xAA\xD8\xA7\xD8\xA8\x20\xDA\xAF\xDA\xBE\xD8\xB1", "\xDA\xA9\xD8\xAA\xD8\xA7\xD8\xA8\xDB\x8C\xDA\xBA", 1, -1},
    {"Latin weighs nothing", "abc", "xyz", 3, 0},
    {"ill-formed bytes weigh nothing", "\xD8\xA8\xFF", "\xD8\xA8\x80\x80", 3, 0},
    {"a cut lead byte is no letter", "\xD8", "\xD8\xA8", 3, -1},
    {"empty and Latin", "", "a", 3, 0},
    {"empty and a letter", "", "\xD8\xA8", 1, -1},
};

TEST_F(Utf8KeysTest, CasesPickedByHand) {
    for (const OrderCase& c : kOrderCases) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(ReferenceOrder(*urdu_, c.a, c.b, c.level), c.order);  // the case means what it says
        EXPECT_EQ(Utf8Order(*urdu_, c.a, c.b, c.level), c.order);
        EXPECT_EQ(Utf8Order(*urdu_, c.b, c.a, c.level), -c.order);
    }
}

TEST_F(Utf8KeysTest, LongTexts) {
    std::mt19937 random(3);
    const std::string start = Pieces(random, 3000);
    for (const std::string& rest : {std::string("\xD8\xA8"), std::string("\xD8\xA6"), std::string(" \xD8\xA7")}) {
        const std::string a = start + rest, b = start + "\xD8\xA3" + rest;
        for (int level = 1; level <= 3; ++level) {
            EXPECT_EQ(Utf8Order(*urdu_, a, b, level), ReferenceOrder(*urdu_, a, b, level)) << "level " << level;
            EXPECT_EQ(Utf8Order(*urdu_, a, a + rest, level), ReferenceOrder(*urdu_, a, a + rest, level));
        }
    }
}

TEST_F(Utf8KeysTest, KeysAreTheKeysOfTheLenientReading) {
    std::mt19937 random(5);
    for (const TestTable* table : Tables()) {
        for (int i = 0; i < 2000; ++i) {
            const std::string text = Pieces(random, i % 500 == 499 ? 1200 : random() % 12);
            const Exact exact(text);
            for (int level = -1; level <= 4; ++level) {
                const std::string expected = ReferenceKey(**table, text, level);
                std::vector<unsigned char> key(expected.size() + 1, 0xEE);
                // The whole key, then its first bytes into a buffer too small.
                ASSERT_EQ(zabrelo::WriteUtf8Key(**table, exact.data(), exact.size(), level, key.data(), key.size()),
                          expected.size());
                ASSERT_EQ(std::string(key.begin(), key.begin() + static_cast<std::ptrdiff_t>(expected.size())),
                          expected);
                ASSERT_EQ(key[expected.size()], 0xEE) << "written past the key";
                const std::size_t half = expected.size() / 2;
                std::vector<unsigned char> part(half + 1, 0xEE);
                ASSERT_EQ(zabrelo::WriteUtf8Key(**table, exact.data(), exact.size(), level, part.data(), half),
                          expected.size());
                ASSERT_EQ(std::string(part.begin(), part.begin() + static_cast<std::ptrdiff_t>(half)),
                          expected.substr(0, half));
                ASSERT_EQ(part[half], 0xEE) << "written past the capacity";
            }
        }
    }
}

}  // namespace

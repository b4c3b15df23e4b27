// Natural keys against a restatement that shares nothing with them: at
// level 1, the plain key of the text with each digit run swapped for one
// Urdu zero, that zero then standing for the run's value; after that the
// plain key's levels 2 and 3. Random texts of digits of the three sets,
// letters (a final U+0626 among them) and spaces, in both orders of the
// default table, through UTF-16 and UTF-8.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "TestText.h"
#include "collation/CollationKeys.h"
#include "collation/NaturalKeys.h"
#include "collation/TableLoader.h"
#include "fileio/RegularFile.h"
#include "text/Utf8.h"

namespace {

using zabrelo::CollationTable;
using zabrelo::TableOrder;

std::shared_ptr<const CollationTable> DefaultTable(TableOrder order) {
    std::shared_ptr<const CollationTable> table;
    const auto file = zabrelo::ReadRegularFile(ZABRELO_DEFAULT_TABLE, zabrelo::TableLoader::kMaxTableBytes);
    EXPECT_TRUE(zabrelo::TableLoader::Initialize(table, ZABRELO_DEFAULT_TABLE, file, nullptr, nullptr, order));
    return table;
}

int DigitValue(char16_t u) {
    for (const char16_t zero : {u'0', u'\u0660', u'\u06F0'}) {
        if (u >= zero && u <= zero + 9) return u - zero;
    }
    return -1;
}

int Sign(int x) { return (x > 0) - (x < 0); }

// The reference order at `level`.
int ReferenceOrder(const CollationTable& table, const std::u16string& a, const std::u16string& b, int level) {
    struct Reading {
        std::string primaries;            // with one Urdu zero's primary per number
        std::vector<std::string> numbers; // each number's significant digits, as ASCII
        std::string rest;                 // the plain key's levels 2 and 3
    };
    const auto read = [&](const std::u16string& text) {
        Reading r;
        std::u16string swapped;
        for (std::size_t i = 0; i < text.size();) {
            if (DigitValue(text[i]) < 0) {
                swapped += text[i++];
                continue;
            }
            std::string digits;
            for (; i < text.size() && DigitValue(text[i]) >= 0; ++i) {
                if (!digits.empty() || DigitValue(text[i]) != 0) digits += static_cast<char>('0' + DigitValue(text[i]));
            }
            r.numbers.push_back(digits);
            swapped += u'\u06F0';
        }
        r.primaries = zabrelo::BuildKey(table, swapped.data(), swapped.size(), 1);
        const std::string plain = zabrelo::BuildKey(table, text.data(), text.size(), level);
        r.rest = plain.substr(zabrelo::BuildKey(table, text.data(), text.size(), 1).size());
        return r;
    };
    const char zero = zabrelo::BuildKey(table, u"\u06F0", 1, 1)[0];
    const Reading x = read(a), y = read(b);
    std::size_t nx = 0, ny = 0;
    for (std::size_t i = 0; i < std::min(x.primaries.size(), y.primaries.size()); ++i) {
        const char p = x.primaries[i], q = y.primaries[i];
        if (p != q) return static_cast<unsigned char>(p) < static_cast<unsigned char>(q) ? -1 : 1;
        if (p != zero) continue;
        const std::string& m = x.numbers[nx++];
        const std::string& n = y.numbers[ny++];
        if (m.size() != n.size()) return m.size() < n.size() ? -1 : 1;
        if (m != n) return Sign(m.compare(n));
    }
    if (x.primaries.size() != y.primaries.size()) return x.primaries.size() < y.primaries.size() ? -1 : 1;
    return level < 2 ? 0 : Sign(x.rest.compare(y.rest));
}

// Digits, and letters whose level-1 bytes never hold the Urdu zero's
// primary, which the reference takes for a number.
std::vector<std::u16string> Pieces(const CollationTable& table) {
    const std::string zero = zabrelo::BuildKey(table, u"\u06F0", 1, 1);
    std::vector<std::u16string> pieces = {u"0", u"1", u"2", u"9", u"\u0660", u"\u0662", u"\u0669", u"\u06F0",
                                          u"\u06F2", u"\u06F9"};
    for (const std::u16string letters : {u"\u0628", u"\u0627", u"\u06CC", u"\u0626", u"\u0644\u0627", u" ", u"a",
                                         u"Z", u"-"}) {
        if (zabrelo::BuildKey(table, letters.data(), letters.size(), 1).find(zero) == std::string::npos) {
            pieces.push_back(letters);
        }
    }
    return pieces;
}

std::u16string RandomText(std::mt19937& random, const std::vector<std::u16string>& pieces) {
    std::u16string text;
    for (auto n = random() % 8; n > 0; --n) text += pieces[random() % pieces.size()];
    return text;
}

TEST(NaturalKeysTest, OrderIsNumbersByValueThenThePlainKey) {
    std::mt19937 random(24);
    for (const TableOrder order : {TableOrder::kClassic, TableOrder::kFull}) {
        const auto table = DefaultTable(order);
        const std::vector<std::u16string> pieces = Pieces(*table);
        for (int round = 0; round < 20000; ++round) {
            const std::u16string a = RandomText(random, pieces), b = RandomText(random, pieces);
            const int level = 1 + static_cast<int>(random() % 3);
            const std::string key = zabrelo::BuildNaturalKey(*table, a.data(), a.size(), level);
            const int expected = ReferenceOrder(*table, a, b, level);
            ASSERT_EQ(Sign(key.compare(zabrelo::BuildNaturalKey(*table, b.data(), b.size(), level))), expected)
                << zabrelo_test::Hex(zabrelo::Utf16ToUtf8(a, zabrelo::LoneSurrogate::kReplace)) << " / "
                << zabrelo_test::Hex(zabrelo::Utf16ToUtf8(b, zabrelo::LoneSurrogate::kReplace)) << " level " << level;
            ASSERT_EQ(zabrelo::CompareNaturalKeys(*table, a.data(), a.size(), b.data(), b.size(), level), expected);
            // UTF-8 gives the same order and key, and a short buffer its start alone.
            const std::string utf8 = zabrelo::Utf16ToUtf8(a, zabrelo::LoneSurrogate::kReplace);
            const std::string utf8b = zabrelo::Utf16ToUtf8(b, zabrelo::LoneSurrogate::kReplace);
            ASSERT_EQ(zabrelo::CompareNaturalUtf8Keys(*table, utf8.data(), utf8.size(), utf8b.data(), utf8b.size(), level),
                      expected);
            const std::size_t room = random() % (key.size() + 2);
            std::string part(room + 1, '\x5A');
            ASSERT_EQ(zabrelo::WriteNaturalUtf8Key(*table, utf8.data(), utf8.size(), level,
                                                   reinterpret_cast<unsigned char*>(&part[0]), room),
                      key.size());
            ASSERT_EQ(part.substr(0, std::min(room, key.size())), key.substr(0, room));
            ASSERT_EQ(part.substr(std::min(room, key.size())), std::string(room + 1 - std::min(room, key.size()), '\x5A'));
        }
    }
}

// Where two texts first differ in the natural order: 0 for equal keys.
struct LevelCase {
    const char16_t* a;
    const char16_t* b;
    int level;
};
const LevelCase kLevelCases[] = {
    {u"\u06F2", u"\u0662", 3},         // Urdu and Arabic-Indic two, as without natural numbers
    {u"\u06F0\u06F2", u"\u06F2", 2},   // leading zeros count after level 1
    {u"\u06F1\u06F0", u"\u06F9", 1},   // ten after nine
    {u"\u0628 \u06F1\u06F2", u"\u0628 \u06F1\u06F2", 0},
};

TEST(NaturalKeysTest, LevelWhereTextsFirstDiffer) {
    const auto table = DefaultTable(TableOrder::kFull);
    for (const LevelCase& c : kLevelCases) {
        const std::u16string a = c.a, b = c.b;
        int first = 0;
        for (int level = 3; level >= 1; --level) {
            if (zabrelo::CompareNaturalKeys(*table, a.data(), a.size(), b.data(), b.size(), level) != 0) first = level;
        }
        EXPECT_EQ(first, c.level) << zabrelo::Utf16ToUtf8(a, zabrelo::LoneSurrogate::kReplace);
    }
}

}  // namespace

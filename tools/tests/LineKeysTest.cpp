// LineKeys: the joined keys of -k must order lines exactly as comparing the
// keys one by one does (weights, then unweighed units, each key in its own
// direction, then the whole line), whatever bytes the parts hold.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "Fields.h"
#include "LineKeys.h"
#include "TestFiles.h"
#include "collation/UnweighedUnits.h"
#include "library/TableInspection.h"
#include "text/Utf8.h"

namespace {

using zabrelo_tool::FieldSplitter;
using zabrelo_tool::Collation;
using zabrelo_tool::KeyBuilder;
using zabrelo_tool::KeyRange;
using zabrelo_tool::LineKeys;
using zabrelo_tool::ParseKeyRange;
using zabrelo_tool::UnweighedUnits;

int Sign(int value) { return value < 0 ? -1 : value > 0 ? 1 : 0; }

std::u16string Units(const std::string& utf8) {
    std::u16string units;
    EXPECT_TRUE(zabrelo::Utf8ToUtf16(utf8.data(), utf8.size(), units));
    return units;
}

// The order the joined keys' bytes must give, worked out key by key: -1, 0
// or 1, a key turned round when it goes against the sort (`reverse`).
// `whole`: then the whole line's key, when the keys are equal.
int Expected(const Collation& lib, const UnweighedUnits& unweighed, const std::vector<KeyRange>& ranges, bool reverse,
             bool whole, const std::string& a, const std::string& b) {
    FieldSplitter left(FieldSplitter::Mode::kSeparator, ","), right(FieldSplitter::Mode::kSeparator, ",");
    left.Split(a.data(), a.size());
    right.Split(b.data(), b.size());
    for (const KeyRange& range : ranges) {
        const std::string_view p = left.Key(range), q = right.Key(range);
        const std::string x = lib.Key(Units(std::string(p)), 3);
        int order = Sign(x.compare(lib.Key(Units(std::string(q)), 3)));
        if (order == 0) order = Sign(unweighed.Compare(p.data(), p.size(), q.data(), q.size(), 3));
        if (range.reverse != reverse) order = -order;
        if (order != 0) return order;
    }
    return whole ? Sign(lib.Key(Units(a), 3).compare(lib.Key(Units(b), 3))) : 0;
}

void CheckOrder(const Collation& lib, const std::vector<std::string>& lines) {
    const UnweighedUnits unweighed(lib.Table());
    const std::vector<std::vector<const char*>> keySets = {
        {"2,2"}, {"1,1r", "2,2"}, {"2"}, {"1.2,1.2", "3,3r"}, {"3,3", "1,1"}};
    for (const auto& texts : keySets) {
        for (const bool reverse : {false, true}) {
            for (const bool stable : {false, true}) {
                std::vector<KeyRange> ranges;
                for (const char* text : texts) ranges.push_back(ParseKeyRange(text, false, reverse));
                SCOPED_TRACE(std::string("-k ") + texts[0] + (texts.size() > 1 ? " ..." : "") +
                             (reverse ? " -r" : "") + (stable ? " -s" : ""));
                const LineKeys keys(unweighed, 3, reverse, stable, ranges, FieldSplitter::Mode::kSeparator, ",");
                KeyBuilder builder(keys, lib);
                std::vector<std::string> built(lines.size());
                for (std::size_t i = 0; i < lines.size(); ++i) {
                    ASSERT_TRUE(builder.Append(lines[i].data(), lines[i].size(), built[i]));
                }
                for (std::size_t i = 0; i < lines.size(); ++i) {
                    for (std::size_t j = 0; j < lines.size(); ++j) {
                        const std::string& x = built[i];
                        const std::string& y = built[j];
                        // Bytes in the sort's direction (-r turns the whole order round
                        // later): a key that goes the other way is inverted.
                        EXPECT_EQ(Sign(x.compare(y)),
                                  Expected(lib, unweighed, ranges, reverse, !stable, lines[i], lines[j]))
                            << lines[i] << " | " << lines[j];
                        const bool sameFields = Expected(lib, unweighed, ranges, reverse, false, lines[i], lines[j]) == 0;
                        const std::size_t size = LineKeys::FieldsSize(x.data(), x.size());
                        EXPECT_EQ(sameFields, size == LineKeys::FieldsSize(y.data(), y.size()) &&
                                                  x.compare(0, size, y, 0, size) == 0)
                            << lines[i] << " | " << lines[j];
                    }
                }
            }
        }
    }
}

TEST(LineKeysTest, JoinedKeysOrderKeyByKey) {
    for (const bool natural : {false, true}) {
        Collation lib;
        ASSERT_TRUE(lib.Load(ZABRELO_DEFAULT_TABLE, false));
        lib.SetNatural(natural);
        CheckOrder(lib, {"ب,ا,x", "ا,ب,x", "ا,ب", "ا,بب,", "اb,ب,1", "اa,ب,2", "کِتاب,قلم,a", "کتاب,قلم,b", ",,", "ا",
                         "ا ب,ا,", "abc,xyz,1", "xyz,abc,1", "ا,ب,x,y", "2ا,ب,1", "ا2,ب,1", "ا 2,ب,1", "ا10,ب,1",
                         "ا9,ب,1"});
    }
}

// A weight of 100 leaves a 00 byte in keys; escaped, it still orders as it should.
TEST(LineKeysTest, ZeroBytesInKeysStayInOrder) {
    zabrelo_test::TempDir dir;
    Collation lib;
    ASSERT_TRUE(lib.Load(dir.Write("t.txt", "FA=t\r\n[0627][100,5,5]\r\n[0628][1,5,5]\r\n").c_str(), true));
    ASSERT_EQ(lib.Key(u"\u0627", 1), std::string(1, '\0'));
    CheckOrder(lib, {"ا,ا,", ",ا,ب", "اا,,", "ب,ا,ا", "ا,,ب", "اب,ا,", "ا\u0628,,", "a,ا,", "ا,aا,b", ",,"});
}

// A numeric first key checks each line's UTF-8 without decoding it, eight
// bytes at a time where it can: it must refuse exactly what decoding refuses.
TEST(LineKeysTest, QuickKeysRefuseWhatDecodingRefuses) {
    Collation lib;
    ASSERT_TRUE(lib.Load(ZABRELO_DEFAULT_TABLE, false));
    const UnweighedUnits unweighed(lib.Table());
    const LineKeys keys(unweighed, 3, false, false, {ParseKeyRange("2,2n", false, false), ParseKeyRange("1,1", false, false)},
                        FieldSplitter::Mode::kSeparator, ",");
    ASSERT_TRUE(keys.QuickStart());
    KeyBuilder builder(keys, lib);
    // Bytes near every boundary the check draws, Urdu's most of all.
    const unsigned char kBytes[] = {'a', ' ', ',', '5', 0x00, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF, 0xC0,
                                    0xC1, 0xC2, 0xD8, 0xDB, 0xDF, 0xE0, 0xE2, 0xED, 0xEF, 0xF0, 0xF4, 0xF5, 0xFF};
    const std::string urdu = "\u0627\u06A9\u06CC";
    std::mt19937 random(25);
    std::u16string units;
    std::string key;
    for (int round = 0; round < 200000; ++round) {
        std::string line;
        const int length = static_cast<int>(random() % 24);
        for (int k = 0; k < length; ++k) {
            if (random() % 3 == 0) {
                line += urdu.substr(2 * (random() % 3), 2);
            } else {
                line += static_cast<char>(kBytes[random() % sizeof kBytes]);
            }
        }
        key.clear();
        ASSERT_EQ(builder.Append(line.data(), line.size(), key, KeyBuilder::Stage::kQuick),
                  zabrelo::Utf8ToUtf16(line.data(), line.size(), units))
            << testing::PrintToString(line);
    }
}

}  // namespace

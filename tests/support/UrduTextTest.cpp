// Tests of the generated and read text the benchmark, the fuzzers and the
// property tests take: the word-file reader and the generators' promises
// (deterministic, Urdu-shaped, and the same text for glibc in UTF-8).
// Figures from a wrong input would mislead, and a test on a narrow input
// would pass for the wrong reason.
#include <gtest/gtest.h>

#include <set>

#include "TestFiles.h"
#include "UrduText.h"
#include "text/Utf8.h"

namespace {

using zabrelo_test::GenerateUrdu;

TEST(UrduTextTest, WordFileSkipsEmptyAndMalformedLinesAndCarriageReturns) {
    zabrelo_test::TempDir dir;
    const std::string path = dir.Write("words.txt", "\xD8\xA7\r\n\r\n\xD8\xA8 \xD8\xA7\n\xC0\xAF\n\xD8\xAA");
    std::vector<std::u16string> words;
    ASSERT_TRUE(zabrelo_test::ReadWordFile(path, words));
    EXPECT_EQ(words, (std::vector<std::u16string>{u"\u0627", u"\u0628 \u0627", u"\u062A"}));
    EXPECT_FALSE(zabrelo_test::ReadWordFile(dir.Path("missing.txt"), words));
}

TEST(UrduTextTest, RandomUnitsDrawEveryUnitOfTheAlphabet) {
    zabrelo_test::Random random(5);
    const std::u16string text = zabrelo_test::RandomUnits(random, zabrelo_test::kWalkAlphabet, 20000);
    ASSERT_EQ(text.size(), 20000u);
    EXPECT_EQ(std::set<char16_t>(text.begin(), text.end()),
              std::set<char16_t>(zabrelo_test::kWalkAlphabet.begin(), zabrelo_test::kWalkAlphabet.end()));
    zabrelo_test::Random again(5);
    EXPECT_EQ(zabrelo_test::RandomUnits(again, zabrelo_test::kWalkAlphabet, 20000), text);
}

TEST(UrduTextTest, GeneratorIsDeterministicAndRoundTripsThroughUtf8) {
    const auto first = GenerateUrdu(2000, 1), again = GenerateUrdu(2000, 1), other = GenerateUrdu(2000, 2);
    EXPECT_EQ(first, again);
    EXPECT_NE(first, other);
    std::u16string back;
    for (const std::u16string& s : first) {
        const std::string utf8 = zabrelo::Utf16ToUtf8(s, zabrelo::LoneSurrogate::kReplace);
        ASSERT_TRUE(zabrelo::Utf8ToUtf16(utf8.data(), utf8.size(), back));
        ASSERT_EQ(back, s);
    }
}

TEST(UrduTextTest, GeneratedStringsLookLikeUrdu) {
    int multiWord = 0, aspirates = 0, hamzaLetters = 0, marks = 0;
    const auto strings = GenerateUrdu(5000, 7);
    for (const std::u16string& s : strings) {
        ASSERT_FALSE(s.empty());
        ASSERT_NE(s.front(), u' ');
        ASSERT_NE(s.back(), u' ');
        ASSERT_EQ(s.find(u"  "), std::u16string::npos);
        multiWord += s.find(u' ') != std::u16string::npos;
        for (std::size_t i = 0; i < s.size(); ++i) {
            const char16_t c = s[i];
            ASSERT_TRUE(c == u' ' || (c >= 0x0600 && c <= 0x06FF)) << "unit " << std::hex << c;
            aspirates += c == u'\u06BE';
            hamzaLetters += c == u'\u0623' || c == u'\u0624' || c == u'\u0626' || c == u'\u06D3';
            marks += c >= 0x064B && c <= 0x0670;
            // Yeh barree and noon ghunna only end words: a mark may follow, a letter may not.
            if ((c == u'\u06D2' || c == u'\u06BA') && i + 1 < s.size()) {
                const char16_t next = s[i + 1];
                ASSERT_TRUE(next == u' ' || (next >= 0x064B && next <= 0x0670)) << "inside a word";
            }
        }
    }
    // Every feature the collators must handle turns up, and multi-word strings stay a minority.
    EXPECT_GT(multiWord, 300);
    EXPECT_LT(multiWord, 1500);
    EXPECT_GT(aspirates, 100);
    EXPECT_GT(hamzaLetters, 100);
    EXPECT_GT(marks, 100);
}

}  // namespace

// Differential test against ICU's "ur" collator: on words without the
// table's deliberate differences from it, the two orders must agree.
#include <gtest/gtest.h>
#include <unicode/ucol.h>

#include <algorithm>
#include <memory>

#include "TestText.h"
#include "zabrelo/ZabreloLib.h"

namespace {

using zabrelo_test::FromUtf8;
using zabrelo_test::ReadLines;

// Where the table deliberately departs from ICU: medial yeh with hamza
// (rewritten to a bare hamza), the Arabic look-alikes, alef with hamza below,
// alef wasla; and where ICU calls two strings equal that the table orders at
// the third level: the non-joiner and the Arabic-Indic digits.
bool HasDeliberateDifference(const std::u16string& word) {
    for (std::size_t i = 0; i < word.size(); ++i) {
        const char16_t c = word[i];
        if (c == u'\u0626' && i + 1 < word.size()) return true;
        if (c == u'\u0643' || c == u'\u064A' || c == u'\u0649' || c == u'\u0647' || c == u'\u0629' ||
            c == u'\u06C0' || c == u'\u0625' || c == u'\u0671' || c == u'\u200C') {
            return true;
        }
        if (c >= u'\u0660' && c <= u'\u0669') return true;
    }
    return false;
}

TEST(IcuDifferentialTest, OrdersAgreeOutsideTheDeliberateDifferences) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<UCollator, void (*)(UCollator*)> icu(ucol_open("ur", &status), ucol_close);
    ASSERT_TRUE(U_SUCCESS(status)) << u_errorName(status);

    ZabreloLib lib;
    ASSERT_TRUE(lib.Initialize(ZABRELO_DEFAULT_TABLE));

    std::vector<std::pair<std::string, std::u16string>> words;
    for (const std::string& line : ReadLines(std::string(ZABRELO_TEST_DATA_DIR) + "/urdu-ordered.txt")) {
        std::u16string word = FromUtf8(line);
        if (!HasDeliberateDifference(word)) words.emplace_back(line, std::move(word));
    }
    ASSERT_GT(words.size(), 300u);

    int disagreements = 0;
    for (std::size_t i = 0; i < words.size(); ++i) {
        for (std::size_t j = i + 1; j < words.size(); ++j) {
            const std::u16string& a = words[i].second;
            const std::u16string& b = words[j].second;
            const UCollationResult theirs =
                ucol_strcoll(icu.get(), reinterpret_cast<const UChar*>(a.data()), static_cast<int32_t>(a.size()),
                             reinterpret_cast<const UChar*>(b.data()), static_cast<int32_t>(b.size()));
            if (theirs == UCOL_GREATER) {
                ++disagreements;
                ADD_FAILURE() << "ICU puts " << words[j].first << " before " << words[i].first
                              << "; zabrelo puts it after (ours: " << lib.Compare(a, b, 3) << ")";
            }
        }
    }
    EXPECT_EQ(disagreements, 0);
}

}  // namespace

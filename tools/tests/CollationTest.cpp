// The command's keys are the C interface's for the same options, byte for
// byte, in both orders and with natural numbers or without.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Collation.h"
#include "text/Utf8.h"
#include "zabrelo/zabrelo.h"

namespace {

TEST(CollationTest, KeysAreTheCInterfaces) {
    const std::vector<std::string> texts = {"", "کتاب", "باب 10", "باب ۰۱۰", "abc 2 ,", "ئ2", "ﻛﺘﺎﺏ", "ئ ٣٤"};
    for (const unsigned options : {0u, ZABRELO_CLASSIC_ORDER, ZABRELO_NATURAL_NUMBERS,
                                   ZABRELO_CLASSIC_ORDER | ZABRELO_NATURAL_NUMBERS}) {
        zabrelo_tool::Collation collation;
        ASSERT_TRUE(collation.Load(ZABRELO_DEFAULT_TABLE, (options & ZABRELO_CLASSIC_ORDER) != 0));
        collation.SetNatural((options & ZABRELO_NATURAL_NUMBERS) != 0);
        zabrelo_collator* collator = nullptr;
        ASSERT_EQ(zabrelo_open_ex(ZABRELO_DEFAULT_TABLE, options, &collator, nullptr, nullptr, nullptr), ZABRELO_OK);
        for (const std::string& text : texts) {
            for (int level = 1; level <= 3; ++level) {
                std::u16string units;
                ASSERT_TRUE(zabrelo::Utf8ToUtf16(text.data(), text.size(), units));
                unsigned char key[256];
                std::size_t length = 0;
                ASSERT_EQ(zabrelo_key8(collator, text.data(), text.size(), level, key, sizeof key, &length), ZABRELO_OK);
                EXPECT_EQ(collation.Key(units, level), std::string(reinterpret_cast<char*>(key), length))
                    << text << " options " << options << " level " << level;
            }
        }
        zabrelo_close(collator);
    }
}

}  // namespace

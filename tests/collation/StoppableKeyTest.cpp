// StoppableKey against WriteUtf8Key, for UTF-8 and UTF-16 texts: unstopped,
// the same key for every level; stopped, kKeyStopped after exactly the
// questions the caller answered, whether the text weighs or not.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "TestTables.h"
#include "collation/StoppableKey.h"
#include "collation/Utf8Keys.h"
#include "text/Utf8.h"

namespace {

using zabrelo::kKeyStopped;
using zabrelo::kStopStride;

struct Asked {
    int count = 0;
    int stopAt = 0;  // 0: never
    static bool Ask(void* self) {
        auto* asked = static_cast<Asked*>(self);
        return ++asked->count == asked->stopAt;
    }
};

TEST(StoppableKeyTest, UnstoppedItIsTheKeyAndStoppedItSaysSo) {
    zabrelo_test::TestTable table;
    ASSERT_TRUE(table.Load("FA=\r\n[0627][1,2,3]\r\n[0628][4,5,6]\r\n[0644,0627][7,8,9]\r\n[0626][9,9,9]\r\n"));
    std::mt19937 random(27);
    const char* const kPieces[] = {"\xD8\xA7", "\xD8\xA8", "\xD9\x84", "\xD8\xA6", " ", "a", "\xF0\x9F\x98\x80"};
    std::string text;
    while (text.size() < 6 * kStopStride) text += kPieces[random() % 7];  // about two bytes a character
    std::string unweighed(3 * kStopStride, 'a');
    for (const std::string* t : {&text, &unweighed}) {
        for (int level = 1; level <= 3; ++level) {
            std::string expected(3 * t->size(), '\0'), got(expected.size(), '\0');
            const std::size_t length = zabrelo::WriteUtf8Key(*table, t->data(), t->size(), level,
                                                             reinterpret_cast<unsigned char*>(&expected[0]), 100);
            Asked never;
            const zabrelo::StopCheck askNever{&Asked::Ask, &never};
            EXPECT_EQ(zabrelo::WriteUtf8KeyStoppable(*table, t->data(), t->size(), level,
                                                     reinterpret_cast<unsigned char*>(&got[0]), 100, askNever),
                      length);
            EXPECT_EQ(got.substr(0, 100), expected.substr(0, 100));
            EXPECT_GE(never.count, level * 2);  // about three questions for each level walked
            Asked second;
            second.stopAt = 2;
            const zabrelo::StopCheck askSecond{&Asked::Ask, &second};
            EXPECT_EQ(zabrelo::WriteUtf8KeyStoppable(*table, t->data(), t->size(), level, nullptr, 0, askSecond),
                      kKeyStopped);
            EXPECT_EQ(second.count, 2);

            // The UTF-16 form: the same key, the same questions.
            const std::u16string units =
                zabrelo::Utf8ToUtf16Lenient(t->data(), t->size(), zabrelo::LoneSurrogate::kReplace);
            Asked never16;
            const zabrelo::StopCheck askNever16{&Asked::Ask, &never16};
            EXPECT_EQ(zabrelo::WriteKeyStoppable(*table, units.data(), units.size(), level,
                                                 reinterpret_cast<unsigned char*>(&got[0]), 100, askNever16),
                      length);
            EXPECT_EQ(got.substr(0, 100), expected.substr(0, 100));
            Asked second16;
            second16.stopAt = 2;
            const zabrelo::StopCheck askSecond16{&Asked::Ask, &second16};
            EXPECT_EQ(zabrelo::WriteKeyStoppable(*table, units.data(), units.size(), level, nullptr, 0, askSecond16),
                      kKeyStopped);
            EXPECT_EQ(second16.count, 2);
        }
    }
}

}  // namespace

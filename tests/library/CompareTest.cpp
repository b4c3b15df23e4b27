// Compare stops at the first differing key byte; these tests hold it to the
// whole-key order plus the tie rule on many generated strings, at every
// level, and check that one object shared by many threads gives the same
// answers (run under the thread sanitizer build, this is where a hidden
// shared buffer or static would show).
#include <gtest/gtest.h>

#include <thread>

#include "KeyOrder.h"
#include "TestFiles.h"
#include "UrduText.h"
#include "zabrelo/ZabreloLib.h"

namespace {

using zabrelo_test::kWalkAlphabet;
using zabrelo_test::Random;
using zabrelo_test::RandomUnits;
using zabrelo_test::TempDir;

// Up to nine units that reach every path of the walk.
std::u16string RandomString(Random& random) { return RandomUnits(random, kWalkAlphabet, random.Below(10)); }

// The reference: build both whole keys, compare them as unsigned bytes, then the tie rule.
int ByWholeKeys(const ZabreloLib& lib, const std::u16string& a, const std::u16string& b, int level) {
    return zabrelo_test::KeyOrder(lib.GetCollationKey(a, level), a.size(), lib.GetCollationKey(b, level), b.size());
}

TEST(CompareTest, AgreesWithWholeKeysAndTheTieRuleOnGeneratedPairs) {
    ZabreloLib lib;
    ASSERT_TRUE(lib.Initialize(ZABRELO_DEFAULT_TABLE));
    Random random(7);
    for (int i = 0; i < 20000; ++i) {
        std::u16string a = RandomString(random);
        // Often a near neighbour, so that comparisons run deep into the keys.
        std::u16string b = (i % 3 == 0) ? RandomString(random) : a;
        if (i % 3 != 0 && !b.empty()) {
            b[random.Below(static_cast<std::uint32_t>(b.size()))] = RandomUnits(random, kWalkAlphabet, 1)[0];
        }
        if (i % 5 == 0) b += RandomUnits(random, kWalkAlphabet, 1);
        for (int level = -1; level <= 4; ++level) {
            ASSERT_EQ(lib.Compare(a, b, level), ByWholeKeys(lib, a, b, level)) << "level " << level << ", pair " << i;
            ASSERT_EQ(lib.Compare(b, a, level), ByWholeKeys(lib, b, a, level)) << "level " << level << ", pair " << i;
        }
    }
}

TEST(CompareTest, ShorterLevelKeysArePrefixesOfLongerOnes) {
    ZabreloLib lib;
    ASSERT_TRUE(lib.Initialize(ZABRELO_DEFAULT_TABLE));
    Random random(11);
    for (int i = 0; i < 2000; ++i) {
        const std::u16string text = RandomString(random);
        const std::string k1 = lib.GetCollationKey(text, 1), k2 = lib.GetCollationKey(text, 2),
                          k3 = lib.GetCollationKey(text, 3);
        ASSERT_EQ(k2.compare(0, k1.size(), k1), 0);
        ASSERT_EQ(k3.compare(0, k2.size(), k2), 0);
        ASSERT_EQ(lib.GetCollationKey(text, 3), k3);  // the same key twice
    }
}

// Eight threads share one object: every key and comparison must match the
// answers given one after another. Meanwhile more threads copy the shared
// object and load other tables into their copies, which must change nothing
// for the shared object (the thread sanitizer build checks the sharing).
TEST(CompareTest, OneObjectSharedByEightThreadsAgreesWithOneAfterAnother) {
    TempDir dir;
    const std::string other = dir.Write("other.txt", "FA=\r\n[0627][9,9,9]\r\n[200C][0,0,1]\r\n");
    ZabreloLib shared;
    ASSERT_TRUE(shared.Initialize(ZABRELO_DEFAULT_TABLE));
    Random random(3);
    std::vector<std::u16string> texts;
    for (int i = 0; i < 4000; ++i) texts.push_back(RandomString(random));

    std::vector<std::string> expectedKeys;
    std::vector<int> expectedOrder;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        expectedKeys.push_back(shared.GetCollationKey(texts[i], 3));
        expectedOrder.push_back(shared.Compare(texts[i], texts[(i + 1) % texts.size()], 3));
    }

    const std::string nonJoiner = shared.GetCollationKey(u"\u200C", 3);

    constexpr int kReaders = 8, kReloaders = 2;
    std::vector<int> mismatches(kReaders + kReloaders, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < kReaders; ++t) {
        threads.emplace_back([&, t] {
            const ZabreloLib& lib = shared;
            int& bad = mismatches[static_cast<std::size_t>(t)];
            for (int round = 0; round < 3; ++round) {
                for (std::size_t i = 0; i < texts.size(); ++i) {
                    if (lib.GetCollationKey(texts[i], 3) != expectedKeys[i]) ++bad;
                    if (lib.Compare(texts[i], texts[(i + 1) % texts.size()], 3) != expectedOrder[i]) ++bad;
                }
            }
        });
    }
    for (int t = kReaders; t < kReaders + kReloaders; ++t) {
        threads.emplace_back([&, t] {
            int& bad = mismatches[static_cast<std::size_t>(t)];
            for (int round = 0; round < 50; ++round) {
                ZabreloLib copy(shared);
                if (copy.GetCollationKey(texts[0], 3) != expectedKeys[0]) ++bad;
                if (!copy.Initialize(other.c_str()) || copy.GetCollationKey(u"\u0627", 1) != "\x09") ++bad;
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    for (std::size_t t = 0; t < mismatches.size(); ++t) EXPECT_EQ(mismatches[t], 0) << "thread " << t;
    EXPECT_EQ(shared.GetCollationKey(u"\u200C", 3), nonJoiner);  // the copies' U+200C stayed theirs
}

}  // namespace

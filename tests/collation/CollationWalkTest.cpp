// The step-by-step walk over a prepared string: which weights each step
// writes, that the prepared string is walked whole, and that walks keep
// their state to themselves. Key bytes, which show the rewriting and the
// contractions, are checked in CollationKeysTest.
#include <gtest/gtest.h>

#include <vector>

#include "TestTables.h"
#include "collation/CollationWalk.h"

namespace {

using zabrelo::CollationWalk;
using zabrelo_test::TestTable;
using W = std::vector<std::int32_t>;

class WalkTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(table_.Load(zabrelo_test::kTinyTable)); }
    TestTable table_;
};

TEST_F(WalkTest, NextElementWritesOnlyTheLevelsAskedForFromTheTable) {
    CollationWalk walk(*table_);
    std::int32_t w[3] = {-1, -1, -1};
    walk.PrepareInput(u"\u0627 x");
    EXPECT_FALSE(walk.NextElement(w, 1));
    EXPECT_EQ(W(w, w + 3), (W{0x20, -1, -1}));
    EXPECT_FALSE(walk.NextElement(w, 1));  // the space fills all three
    EXPECT_EQ(W(w, w + 3), (W{0x41, 0, 0}));
    w[1] = w[2] = -1;
    EXPECT_FALSE(walk.NextElement(w, 2));  // so does an ignorable unit
    EXPECT_EQ(W(w, w + 3), (W{0, 0, 0}));
    for (int i = 0; i < 3; ++i) {  // the end is sticky
        w[0] = 5;
        EXPECT_TRUE(walk.NextElement(w, 3));
        EXPECT_EQ(w[0], 0);
    }
}

TEST_F(WalkTest, PreparedStringIsLongerThanTheInputAndFullyWalked) {
    CollationWalk walk(*table_);
    walk.PrepareInput(u"\u0623\u0624\u06D3");
    int elements = 0;
    std::int32_t w[3];
    while (!walk.NextElement(w, 3)) ++elements;
    EXPECT_EQ(elements, 6);
}

TEST_F(WalkTest, TwoWalksOverOneTableKeepTheirOwnPlace) {
    CollationWalk lamAlef(*table_), behs(*table_);
    lamAlef.PrepareInput(u"\u0644\u0627\u0644");
    behs.PrepareInput(u"\u0628\u0628");
    std::int32_t w[3];
    std::vector<std::int32_t> first, second;
    while (true) {  // interleaved, one step each
        const bool doneA = lamAlef.NextElement(w, 1);
        if (!doneA) first.push_back(w[0]);
        const bool doneB = behs.NextElement(w, 1);
        if (!doneB) second.push_back(w[0]);
        if (doneA && doneB) break;
    }
    EXPECT_EQ(first, (W{0x40, 0x30}));
    EXPECT_EQ(second, (W{0x50, 0x50}));
}

}  // namespace

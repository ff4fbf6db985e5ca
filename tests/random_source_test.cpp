#include "predict/random_source.h"

#include <gtest/gtest.h>

namespace zorlith {
namespace {

class RandomSourceTest : public testing::Test {
protected:
    void SetUp() override { ResetRandom(); }
};

TEST_F(RandomSourceTest, SeedOneGivesTheKnownSequence) {
    SeedRandom(1);
    EXPECT_EQ(RandomInRange(1, 10), 2); // raw 41
    EXPECT_EQ(RandomInRange(1, 2), 2);  // raw 18467
    EXPECT_EQ(RandomInRange(0, 32767), 6334);
}

TEST_F(RandomSourceTest, StartsFromStateOneWithoutSeeding) {
    EXPECT_EQ(RandomInRange(0, 32767), 41);
}

TEST_F(RandomSourceTest, SingleValueRangeDoesNotDraw) {
    SeedRandom(1);
    EXPECT_EQ(RandomInRange(7, 7), 7);
    EXPECT_EQ(RandomInRange(0, 32767), 41);
}

TEST_F(RandomSourceTest, NegativeBoundsAreRaisedAndReversedBoundsSwapped) {
    SeedRandom(1);
    EXPECT_EQ(RandomInRange(10, 1), 2);
    SeedRandom(1);
    EXPECT_EQ(RandomInRange(-5, -1), 0);
    EXPECT_EQ(RandomInRange(0, 32767), 41);
    SeedRandom(1);
    EXPECT_EQ(RandomInRange(-3, 9), 41 % 10);
}

TEST_F(RandomSourceTest, NegativeSeedIsTakenAsUnsigned) {
    SeedRandom(-1);
    const uint32_t state = 0xFFFFFFFFu * 214013u + 2531011u;
    EXPECT_EQ(RandomInRange(0, 32767), static_cast<int32_t>((state >> 16) & 0x7FFF));
}

TEST_F(RandomSourceTest, FullRangeDoesNotOverflow) {
    SeedRandom(1);
    const int32_t value = RandomInRange(0, 2147483647);
    EXPECT_EQ(value, 41);
}

} // namespace
} // namespace zorlith

#include <gtest/gtest.h>

#include "core/RandomSource.h"
#include "core/StdRand.h"

#include <cmath>
#include <limits>

using namespace tilvex;

TEST(RandomSource, SeedZeroGivesTheKnownStatesAndDraws)
{
    RandomSource r;
    r.Seed(0);
    EXPECT_EQ(r.lastValue, 0);
    EXPECT_EQ(r.state0, 21579);
    EXPECT_EQ(r.state1, 55966);
    EXPECT_EQ(r.state2, 21579);
    EXPECT_EQ(r.row0, 0);
    EXPECT_EQ(r.row1, 6);
    EXPECT_EQ(r.row2, 9);
    EXPECT_EQ(r.Next(), 1012);
    EXPECT_EQ(r.Next(), 59051);
    EXPECT_EQ(r.Next(), 1704);

    RandomSource u;
    u.Seed(0);
    EXPECT_NEAR(u.RandomUnit(), 0.1012, 1e-15);
    EXPECT_NEAR(u.RandomUnit(), 0.59051, 1e-15);
    EXPECT_NEAR(u.RandomUnit(), 0.1704, 1e-15);
}

TEST(RandomSource, SameSeedSameSequenceAndEveryDrawMovesAllStates)
{
    RandomSource a, b;
    a.Seed(4711);
    b.Seed(-4711);  // the seed's sign is ignored
    for (int i = 0; i < 1000; ++i) {
        double s0 = a.state0, s1 = a.state1, s2 = a.state2;
        double v = a.Next();
        ASSERT_EQ(v, b.Next());
        ASSERT_TRUE(a.state0 != s0 || a.state1 != s1 || a.state2 != s2);
        ASSERT_EQ(v, std::floor(v));
        ASSERT_GE(v, 0);
    }
}

TEST(RandomSource, UnitDrawIsTheLeadingDigitsInZeroOne)
{
    RandomSource r;
    r.Seed(12345);
    for (int i = 0; i < 10000; ++i) {
        RandomSource copy = r;
        double raw = copy.Next();
        double unit = r.RandomUnit();
        ASSERT_GE(unit, 0.0);
        ASSERT_LE(unit, 1.0);
        double expected = raw;
        while (expected > 1.0) expected *= 0.1;
        ASSERT_EQ(unit, expected);
    }
}

TEST(RandomSource, AnySeedKeepsTheTableRowsInRangeAndTheDrawsInZeroOne)
{
    const double inf = std::numeric_limits<double>::infinity();
    for (double seed : {std::nan(""), inf, -inf, 1e308, -1e308, std::numeric_limits<double>::max(), 4294967295.0}) {
        RandomSource r;
        r.Seed(seed);
        for (int i = 0; i < 100; ++i) {
            double unit = r.RandomUnit();
            ASSERT_TRUE(unit >= 0.0 && unit <= 1.0) << seed;
            for (int row : {r.row0, r.row1, r.row2}) ASSERT_TRUE(row >= 0 && row < 10) << seed;
        }
    }
}

TEST(StdRand, FollowsTheLinearCongruentialRecurrence)
{
    tilvex::srand(1);
    EXPECT_EQ(tilvex::rand(), 41);
    EXPECT_EQ(tilvex::rand(), 18467);
    EXPECT_EQ(tilvex::rand(), 6334);
    tilvex::srand(0);
    EXPECT_EQ(tilvex::rand(), 38);
    EXPECT_EQ(RandState(), 2531011u);
    tilvex::srand(0xFFFFFFFFu);
    std::uint32_t expected = 0xFFFFFFFFu * 214013u + 2531011u;
    EXPECT_EQ(tilvex::rand(), static_cast<int>((expected >> 16) & 0x7FFF));
}

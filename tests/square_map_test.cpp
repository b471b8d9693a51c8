#include <gtest/gtest.h>

#include <cmath>

#include "maps/SqrMap.h"

using namespace tilvex;

namespace {
SqrMap LinearMap(double m, double shift)
{
    SqrMap s;
    s.emm = m;
    s.shiftX = s.shiftY = shift;
    return s;
}
}  // namespace

TEST(SquareMap, ReductionIntoTheUnitSquare)
{
    EXPECT_EQ(ReduceToUnit(1.0), 1.0);
    EXPECT_EQ(ReduceToUnit(2.0), 0.0);
    EXPECT_EQ(ReduceToUnit(-1.0), 1.0);
    EXPECT_EQ(ReduceToUnit(-2.0), 1.0);
    EXPECT_EQ(ReduceToUnit(-0.5), 0.5);
    EXPECT_EQ(ReduceToUnit(-0.25), 0.75);
    EXPECT_EQ(ReduceToUnit(1.25), 0.25);
    EXPECT_EQ(ReduceToUnit(3.5), 0.5);
    EXPECT_EQ(ReduceToUnit(0.0), 0.0);
}

TEST(SquareMap, WorkedLinearExamples)
{
    SqrMap s = LinearMap(1, 0.5);
    Complex r = s.Iterate({0.2, 0.7});
    EXPECT_DOUBLE_EQ(r.re, 0.7);
    EXPECT_NEAR(r.im, 0.2, 1e-15);
    EXPECT_EQ(s.lastX, r.re);

    SqrMap zero = LinearMap(0, 0);
    EXPECT_EQ(zero.Iterate({0.3, 0.9}), Complex(0, 0));

    // m = 1 and an offset: 0.5 + 0.5 = 1.0 exactly stays 1.0.
    SqrMap edge = LinearMap(1, 0.5);
    EXPECT_EQ(edge.Iterate({0.5, 0.25}).re, 1.0);
}

TEST(SquareMap, PlainStepFollowsItsFormulaAndIgnoresTheMatrix)
{
    SqrMap s;
    s.lambda = 0.1;
    s.alpha = -0.2;
    s.beta = 0.15;
    s.gamma = 0.05;
    s.omega = 0.005;
    s.emm = 1;
    s.shiftX = s.shiftY = 0;
    for (int i = 0; i < 6; ++i)
        for (int j = 0; j < 6; ++j) s.SetCoef(i, j, 0.3);
    const double x = 0.3, y = 0.6, t = 6.283185307;
    double a = t * x, b = t * y;
    double ex = 0.05 * std::sin(3 * a) * std::cos(2 * b) - 0.2 * std::sin(a) * std::cos(b) - 0.005 * std::sin(b) +
                0.15 * std::sin(2 * a) + 0.1 * std::sin(a) + x;
    double ey = 0.05 * std::sin(3 * b) * std::cos(2 * a) - 0.2 * std::sin(b) * std::cos(a) - 0.005 * std::sin(a) +
                0.15 * std::sin(2 * b) + 0.1 * std::sin(b) + y;
    Complex r = s.Iterate({x, y});
    EXPECT_NEAR(r.re, ReduceToUnit(ex), 1e-12);
    EXPECT_NEAR(r.im, ReduceToUnit(ey), 1e-12);
}

TEST(SquareMap, DetailedStepUsesOnlyTheDepthBlockOfTheMatrix)
{
    SqrMap s = LinearMap(0, 0.5);
    s.detailed = 1;
    s.depth = 3;
    s.lambda = 0.2;  // no effect on the detailed form
    for (int i = 0; i < 6; ++i)
        for (int j = 0; j < 6; ++j) s.SetCoef(i, j, (i < 3 && j < 3) ? 0.01 * (i + 2 * j + 1) : 5.0);
    const double x = 0.15, y = 0.4, t = 6.283185307;
    double ex = 0.5, ey = 0.5;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            double c = 0.01 * (i + 2 * j + 1);
            ex += c * std::sin((i + 1) * t * x) * std::cos((j + 1) * t * y);
            ey += c * std::sin((i + 1) * t * y) * std::cos((j + 1) * t * x);
        }
    Complex r = s.Iterate({x, y});
    EXPECT_NEAR(r.re, ReduceToUnit(ex), 1e-12);
    EXPECT_NEAR(r.im, ReduceToUnit(ey), 1e-12);
}

TEST(SquareMap, MatrixPositionsOutsideTheShapeReadZeroAndDropWrites)
{
    SqrMap s;
    s.SetCoef(2, 3, 0.25);
    EXPECT_EQ(s.coef[2 + 3 * 6], 0.25);
    s.coefRows = 4;
    s.SetCoef(5, 0, 1.0);
    EXPECT_EQ(s.Coef(5, 0), 0.0);
    EXPECT_EQ(s.coef[5], 0.0);
    EXPECT_EQ(s.Coef(-1, 0), 0.0);
}

TEST(SquareMap, RandomizeDrawOrderRangesAndKeptSettings)
{
    RandomSource random;
    random.Seed(99);
    RandomSource reference = random;
    SqrMap s;
    s.depth = 4;
    s.detailed = 1;
    s.Randomize(random);

    EXPECT_EQ(s.depth, 4);
    EXPECT_EQ(s.detailed, 1);
    for (int i = 0; i < 3; ++i) reference.rand();
    EXPECT_EQ(random.RandState(), reference.RandState());
    EXPECT_DOUBLE_EQ(s.lambda, 0.4 * reference.RandomUnit() - 0.2);
    EXPECT_DOUBLE_EQ(s.alpha, 0.8 * reference.RandomUnit() - 0.4);
    EXPECT_DOUBLE_EQ(s.beta, 0.8 * reference.RandomUnit() - 0.6);
    EXPECT_DOUBLE_EQ(s.gamma, 0.161 * reference.RandomUnit() - 0.05);
    EXPECT_DOUBLE_EQ(s.omega, 0.02 * reference.RandomUnit() - 0.01);
    EXPECT_EQ(s.x, reference.RandomUnit());
    EXPECT_EQ(s.y, reference.RandomUnit());
    for (int i = 0; i < 6; ++i)
        for (int j = 0; j < 6; ++j) ASSERT_DOUBLE_EQ(s.Coef(i, j), 0.8 * reference.RandomUnit() - 0.4);
    EXPECT_EQ(random.lastValue, reference.lastValue) << "43 draws in all";
    // rand 41 % 3 = 2, 18467 % 3 = 2 -> m = 0; 6334 is even -> offset 0.5.
    EXPECT_EQ(s.emm, 0.0);
    EXPECT_EQ(s.shiftX, 0.5);
    EXPECT_EQ(s.shiftY, 0.5);
}

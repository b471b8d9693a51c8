#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "maps/WildCornerMap.h"

using namespace tilvex;

namespace {

constexpr double kTwoPi = 6.283185307;
constexpr double kTol = 1e-12;

// Divisor d^2 of term k, as the dialog shows the coefficients.
constexpr double kDivisor[12] = {1, 1, 1, 9, 16, 16, 25, 36, 36, 36, 49, 49};

void ExpectNear(Complex actual, Complex expected, double tol, const char* what, int index)
{
    EXPECT_NEAR(actual.re, expected.re, tol) << what << " " << index;
    EXPECT_NEAR(actual.im, expected.im, tol) << what << " " << index;
}

WildCornerMap MapWithCorner(int n)
{
    RandomSource random;
    WildCornerMap map(random);
    map.BuildFrequencies(n);
    return map;
}

}  // namespace

TEST(WildCornerMap, ConstructionDrawsTheCornerWithOneRandCall)
{
    RandomSource replay;
    int first = replay.rand();

    RandomSource random;
    WildCornerMap map(random);
    EXPECT_EQ(random.RandState(), replay.RandState());
    EXPECT_EQ(map.cornerN, first % 11 + 3);
    EXPECT_EQ(map.rowCount, map.cornerN / 2 + 1);
    EXPECT_EQ(map.depth, 11);
    EXPECT_EQ(map.twoPi, kTwoPi);
    EXPECT_EQ(map.center, Complex(0.5, 0.5));
    ASSERT_EQ(map.rotations.GetSize(), map.rowCount);
    ASSERT_EQ(map.frequencies.GetSize(), 12 * map.rowCount);
    ASSERT_EQ(map.amplitudes.GetSize(), 12 * map.rowCount);
    for (int i = 0; i < 12 * map.rowCount; ++i) {
        EXPECT_EQ(map.frequencies[i], Complex()) << i;
        EXPECT_EQ(map.amplitudes[i], Complex()) << i;
    }
    // Never randomised nor set: every point goes to the centre.
    EXPECT_EQ(map.Iterate({0.1, 0.9}), Complex(0.5, 0.5));
}

TEST(WildCornerMap, CornerFourIsAQuarterTurn)
{
    WildCornerMap map = MapWithCorner(4);
    EXPECT_EQ(map.cornerN, 4);
    EXPECT_EQ(map.theta, kTwoPi / 4);
    EXPECT_EQ(map.rowCount, 3);
    EXPECT_NEAR(map.sinTheta, 1.0, 1e-9);
    EXPECT_NEAR(map.cosTheta, 0.0, 1e-9);
    ExpectNear(map.basisV, {1, 1}, 1e-9, "basisV", 0);
    ExpectNear(map.basisW, {0, 1}, 1e-9, "basisW", 0);
    ASSERT_EQ(map.rotations.GetSize(), 3);
    ExpectNear(map.rotations[0], {0, -1}, 1e-9, "rotation", 0);
    ExpectNear(map.rotations[1], {-1, 0}, 1e-9, "rotation", 1);
    ExpectNear(map.rotations[2], {0, 1}, 1e-9, "rotation", 2);

    // Row 0: (2pi n, 2pi n + m); row 1 turned by -90 degrees, row 2 by -180.
    const int m[12] = {0, 1, 2, 3, 4, 3, 5, 6, 5, 4, 7, 5};
    const int n[12] = {1, 2, 3, 4, 5, 5, 6, 7, 7, 7, 8, 8};
    for (int k = 0; k < 12; ++k) {
        Complex f{kTwoPi * n[k], kTwoPi * n[k] + m[k]};
        ExpectNear(map.frequencies[k], f, 1e-7, "row 0", k);
        ExpectNear(map.frequencies[12 + k], {f.im, -f.re}, 1e-7, "row 1", k);
        ExpectNear(map.frequencies[24 + k], {-f.re, -f.im}, 1e-7, "row 2", k);
    }
}

TEST(WildCornerMap, RowCountsAndBasesForOtherCorners)
{
    struct Case {
        int n, rows;
    };
    for (Case c : {Case{3, 2}, Case{13, 7}, Case{42, 22}}) {
        WildCornerMap map = MapWithCorner(c.n);
        double theta = kTwoPi / c.n;
        EXPECT_EQ(map.theta, theta) << c.n;
        EXPECT_EQ(map.rowCount, c.rows) << c.n;
        EXPECT_EQ(map.rotations.GetSize(), c.rows) << c.n;
        EXPECT_EQ(map.frequencies.GetSize(), 12 * c.rows) << c.n;
        EXPECT_EQ(map.amplitudes.GetSize(), 12 * c.rows) << c.n;
        // basisV and basisW are the dual basis of the lattice whose second
        // vector is turned by theta: v.(1,0) = 1, w.(1,0) = 0, w.(cos, sin) = 1.
        EXPECT_EQ(map.basisV.re, 1.0) << c.n;
        EXPECT_EQ(map.basisW.re, 0.0) << c.n;
        EXPECT_NEAR(map.basisW.im * std::sin(theta), 1.0, kTol) << c.n;
        EXPECT_NEAR(std::cos(theta) + map.basisV.im * std::sin(theta), 1.0, kTol) << c.n;
        for (int i = 0; i < c.rows; ++i) {
            double angle = -(i + 1) * theta;
            ExpectNear(map.rotations[i], {std::cos(angle), std::sin(angle)}, kTol, "rotation", i);
        }
        // Every row is row 0 turned by -i*theta: same length, turned angle.
        for (int i = 1; i < c.rows; ++i)
            for (int k = 0; k < 12; k += 5) {
                Complex f0 = map.frequencies[k], fi = map.frequencies[12 * i + k];
                EXPECT_NEAR(std::hypot(fi.re, fi.im), std::hypot(f0.re, f0.im), 1e-9) << c.n;
                double turn = std::atan2(fi.im, fi.re) - std::atan2(f0.im, f0.re);
                EXPECT_NEAR(std::remainder(turn + i * theta, 2 * std::numbers::pi), 0.0, 1e-8) << c.n << " row " << i;
            }
    }
}

TEST(WildCornerMap, RandomizeDrawsTwentyFourAmplitudePartsInOrder)
{
    RandomSource random;
    random.Seed(12345);
    RandomSource replay = random;
    random.srand(77);
    WildCornerMap map(random);  // one rand call
    std::uint32_t randBefore = random.RandState();
    map.depth = 4;

    map.Randomize(5, 11, random);
    EXPECT_EQ(random.RandState(), randBefore) << "Randomize must not call rand";
    EXPECT_EQ(map.cornerN, 5);
    EXPECT_EQ(map.depth, 11);
    EXPECT_EQ(map.rowCount, 3);
    for (int k = 0; k < 12; ++k) {
        double re = 0.6 * RandomUnit(replay) - 0.3;
        double im = 0.6 * RandomUnit(replay) - 0.3;
        double bound = 0.3 / kDivisor[k];
        EXPECT_LE(std::fabs(map.amplitudes[k].re), bound + kTol) << k;
        EXPECT_LE(std::fabs(map.amplitudes[k].im), bound + kTol) << k;
        ExpectNear(map.amplitudes[k], {re / kDivisor[k], im / kDivisor[k]}, 1e-15, "amplitude", k);
        for (int i = 1; i < 3; ++i)
            EXPECT_EQ(map.amplitudes[12 * i + k], map.rotations[i - 1] * map.amplitudes[k]) << k;
    }
    EXPECT_EQ(random.Next(), replay.Next()) << "exactly 24 draws";
}

TEST(WildCornerMap, RandomAmplitudesStayInTheirRangesAcrossSeeds)
{
    RandomSource random;
    random.Seed(3);
    WildCornerMap map(random);
    double widest10 = 0.0;
    for (int trial = 0; trial < 200; ++trial) {
        map.Randomize(3 + trial % 11, 11, random);
        for (int k = 0; k < 12; ++k) {
            double bound = 0.3 / kDivisor[k] + kTol;
            ASSERT_LE(std::fabs(map.amplitudes[k].re), bound) << k;
            ASSERT_LE(std::fabs(map.amplitudes[k].im), bound) << k;
        }
        widest10 = std::max({widest10, std::fabs(map.amplitudes[10].re), std::fabs(map.amplitudes[10].im)});
    }
    // The scaled range is really used, not collapsed to zero.
    EXPECT_GT(widest10, 0.5 * 0.3 / 49);
}

TEST(WildCornerMap, CoefficientsRoundTripAndTurnEveryRow)
{
    for (int n : {3, 8, 42}) {
        WildCornerMap map = MapWithCorner(n);
        for (int k = 0; k < 12; ++k) {
            Complex c{0.01 * (k + 1), -0.02 * (k + 3)};
            map.SetCoefficient(k, c);
            ExpectNear(map.GetCoefficient(k), c, 1e-15, "round trip", k);
            ExpectNear(map.amplitudes[k], {c.re / kDivisor[k], c.im / kDivisor[k]}, 1e-17, "amplitude", k);
            for (int i = 1; i < map.rowCount; ++i)
                EXPECT_EQ(map.amplitudes[12 * i + k], map.rotations[i - 1] * map.amplitudes[k]) << n << " " << k;
        }
        // Setting one term leaves the others alone.
        Complex before = map.GetCoefficient(4);
        map.SetCoefficient(5, {0.3, 0.3});
        EXPECT_EQ(map.GetCoefficient(4), before);
        // Indices outside the twelve terms are ignored.
        map.SetCoefficient(12, {1, 1});
        map.SetCoefficient(-1, {1, 1});
        EXPECT_EQ(map.GetCoefficient(12), Complex());
    }
}

TEST(WildCornerMap, BuildFrequenciesKeepsAmplitudeValuesAndDepth)
{
    WildCornerMap map = MapWithCorner(10);  // 6 rows
    map.depth = 7;
    for (int i = 0; i < 72; ++i) map.amplitudes[i] = {0.001 * i, 0.0};
    map.BuildFrequencies(4);  // 3 rows
    EXPECT_EQ(map.depth, 7);
    ASSERT_EQ(map.amplitudes.GetSize(), 36);
    for (int i = 0; i < 36; ++i) EXPECT_EQ(map.amplitudes[i], Complex(0.001 * i, 0.0)) << i;
    map.BuildFrequencies(9);  // 5 rows: new elements are zero
    ASSERT_EQ(map.amplitudes.GetSize(), 60);
    EXPECT_EQ(map.amplitudes[35], Complex(0.035, 0.0));
    for (int i = 36; i < 60; ++i) EXPECT_EQ(map.amplitudes[i], Complex()) << i;
}

TEST(WildCornerMap, IterateSumsTurnedCopiesOfOneWave)
{
    // N = 4 with only term 0 = (0.3, 0): the rows add 0.3 sin(2pi(dx+dy)),
    // -0.3i sin(2pi(dx-dy)) and -0.3 sin(-2pi(dx+dy)).
    WildCornerMap map = MapWithCorner(4);
    map.SetCoefficient(0, {0.3, 0.0});
    for (Complex p : {Complex(0.6, 0.55), Complex(0.0, 1.0), Complex(-1.3, 2.7)}) {
        double dx = p.re - 0.5, dy = p.im - 0.5;
        Complex expected{0.5 + 0.6 * std::sin(kTwoPi * (dx + dy)), 0.5 - 0.3 * std::sin(kTwoPi * (dx - dy))};
        Complex r = map.Iterate(p);
        ExpectNear(r, expected, 1e-8, "point", 0);
        EXPECT_EQ(map.offset, Complex(dx, dy));
        EXPECT_EQ(map.sum + map.center, r);
    }
}

TEST(WildCornerMap, ZeroAmplitudesMapEverythingToTheCentre)
{
    for (int n : {3, 13, 42}) {
        WildCornerMap map = MapWithCorner(n);
        for (int k = 0; k < 12; ++k) map.SetCoefficient(k, {});
        for (Complex p : {Complex(0, 0), Complex(1, 1), Complex(0.3, 0.8), Complex(-5, 7)})
            EXPECT_EQ(map.Iterate(p), Complex(0.5, 0.5)) << n;
    }
}

TEST(WildCornerMap, DepthSelectsTheTermsOfEveryRow)
{
    WildCornerMap map = MapWithCorner(6);
    const Complex p{0.21, 0.67};
    map.SetCoefficient(4, {0.2, -0.1});
    map.depth = 4;  // terms 0..3 only
    EXPECT_EQ(map.Iterate(p), Complex(0.5, 0.5));
    map.depth = 5;
    EXPECT_NE(map.Iterate(p), Complex(0.5, 0.5));

    map.SetCoefficient(4, {});
    map.SetCoefficient(11, {0.2, 0.2});
    map.depth = 11;  // term 11 is never used up to the dialog's largest depth
    EXPECT_EQ(map.Iterate(p), Complex(0.5, 0.5));
    map.depth = 12;
    Complex withTwelve = map.Iterate(p);
    EXPECT_NE(withTwelve, Complex(0.5, 0.5));
    // A depth beyond the row stays inside it.
    map.depth = 1000;
    EXPECT_EQ(map.Iterate(p), withTwelve);
    map.depth = -3;
    EXPECT_EQ(map.Iterate(p), Complex(0.5, 0.5));
}

TEST(WildCornerMap, RebuildFromStoredAnglesReproducesTheMap)
{
    RandomSource random;
    random.Seed(99);
    WildCornerMap original(random);
    original.Randomize(7, 9, random);

    WildCornerMap restored = MapWithCorner(12);
    ASSERT_TRUE(restored.RebuildFromAngles(original.cornerN, original.rowCount, original.depth, original.sinTheta,
                                           original.cosTheta, original.theta));
    EXPECT_EQ(restored.cornerN, 7);
    EXPECT_EQ(restored.rowCount, 4);
    EXPECT_EQ(restored.depth, 9);
    ASSERT_EQ(restored.amplitudes.GetSize(), 48);
    for (int i = 0; i < 48; ++i) {
        EXPECT_EQ(restored.frequencies[i], original.frequencies[i]) << i;
        EXPECT_EQ(restored.amplitudes[i], Complex()) << "amplitude values are left for the reader " << i;
    }
    for (int i = 0; i < 4; ++i) EXPECT_EQ(restored.rotations[i], original.rotations[i]) << i;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < original.depth; ++j) restored.amplitudes[12 * i + j] = original.amplitudes[12 * i + j];
    for (Complex p : {Complex(0.1, 0.2), Complex(0.9, 0.4)}) EXPECT_EQ(restored.Iterate(p), original.Iterate(p));
}

TEST(WildCornerMap, RebuildRefusesRecordsNoDialogProduces)
{
    WildCornerMap map = MapWithCorner(5);
    map.SetCoefficient(0, {0.1, 0.1});
    const Complex before = map.Iterate({0.3, 0.3});
    struct Record {
        int n, rows, depth;
    };
    for (Record r : {Record{2, 2, 11}, Record{43, 22, 11}, Record{6, 3, 11}, Record{6, 4, 13}, Record{6, 4, -1},
                     Record{5, 100000000, 11}}) {
        EXPECT_FALSE(map.RebuildFromAngles(r.n, r.rows, r.depth, 0.5, 0.5, 0.5)) << r.n << " " << r.rows;
        EXPECT_EQ(map.cornerN, 5);
        EXPECT_EQ(map.rowCount, 3);
        EXPECT_EQ(map.Iterate({0.3, 0.3}), before);
    }
}

TEST(WildCornerMap, OddCornerValuesNeverReachPastTheTables)
{
    // No caller passes these; the tables must still hold every write.
    for (int n : {-7, -2, -1, 0, 1, 2}) {
        WildCornerMap map = MapWithCorner(n);
        RandomSource random;
        random.Seed(1);
        map.Randomize(n, 11, random);
        for (int k = 0; k < 12; ++k) map.SetCoefficient(k, {0.1, 0.1});
        (void)map.GetCoefficient(11);
        (void)map.Iterate({0.2, 0.3});
        EXPECT_GE(map.amplitudes.GetSize(), 12) << n;
    }
}

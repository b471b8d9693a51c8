#include "maps/HexMap.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cmath>
#include <complex>
#include <cstdlib>
#include <new>
#include <random>

#include "core/RandomSource.h"
#include "core/StdRand.h"

// Counts heap allocations so the steps can be checked to allocate nothing.
// The replacement pairs malloc with free, which the compiler cannot see.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
namespace {
std::atomic<long> allocations{0};
}
void* operator new(std::size_t n)
{
    ++allocations;
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace tilvex {
namespace {

using Cx = std::complex<double>;

constexpr double kH = 0.8660254037844386;  // sqrt(3) / 2
constexpr double kRoot3 = 1.7320508075688772;
constexpr double kPi = 3.14159265358979323846;

Cx ToStd(Complex c) { return {c.re, c.im}; }

const Cx kOmega = std::polar(1.0, 2 * kPi / 3);

// c, w c, w^2 c, conj c, w conj c, w^2 conj c with w = e^(2 pi i / 3).
std::array<Cx, 6> Sextet(Cx c)
{
    return {c, kOmega * c, kOmega * kOmega * c, std::conj(c), kOmega * std::conj(c), kOmega * kOmega * std::conj(c)};
}

void ExpectNear(Complex actual, double re, double im, double tolerance)
{
    EXPECT_NEAR(actual.re, re, tolerance);
    EXPECT_NEAR(actual.im, im, tolerance);
}

void ExpectNear(Complex actual, Complex expected, double tolerance)
{
    ExpectNear(actual, expected.re, expected.im, tolerance);
}

HexMap RandomizedMap(double seed, int detailFlag)
{
    HexMap map;
    RandomSource random;
    random.Seed(seed);
    map.Randomize(random, detailFlag);
    map.SetGeometry(100.0);
    // Make the linear term part of the checks as well.
    map.hEmm = 1.0;
    return map;
}

Complex SumAt(HexMap& map, Complex p)
{
    map.z = p;
    map.Sum();
    return map.w;
}

// Distance from p to the nearest point of the lattice spanned by (1.5, h) and
// (1.5, -h), whose cells are the hexagons the fold translates into. h is the
// map's own, so that far from the origin the lattices still coincide.
double DistanceToFoldLattice(Complex p, double h)
{
    double a = (p.re / 1.5 + p.im / h) / 2;
    double b = (p.re / 1.5 - p.im / h) / 2;
    double best = 1e300;
    for (double i = std::floor(a) - 1; i <= std::floor(a) + 2; ++i) {
        for (double j = std::floor(b) - 1; j <= std::floor(b) + 2; ++j) {
            double dx = p.re - 1.5 * (i + j), dy = p.im - h * (i - j);
            best = std::min(best, std::hypot(dx, dy));
        }
    }
    return best;
}

void ExpectInTriangle(Complex r, Complex from)
{
    constexpr double slack = 1e-6;  // the fold's 1e-7 and 1e-6 steps
    EXPECT_GE(r.im, -slack) << from.re << ", " << from.im;
    EXPECT_LE(r.im, kH + slack) << from.re << ", " << from.im;
    EXPECT_LE(r.im, kRoot3 * r.re + slack) << from.re << ", " << from.im;
    EXPECT_LE(r.im, kRoot3 * (1 - r.re) + slack) << from.re << ", " << from.im;
}

TEST(HexMapConstruction, DefaultsTablesAndHarmonics)
{
    HexMap map;
    EXPECT_EQ(map.twoPi, 6.283185307);
    EXPECT_DOUBLE_EQ(map.sectorScale, 0.9549296585786659);
    EXPECT_NEAR(map.halfHeight, kH, 1e-10);
    EXPECT_EQ(map.depth, 11);
    EXPECT_EQ(map.detailed, 0);
    EXPECT_EQ(map.tileCorners.GetSize(), 5);
    for (int j = 0; j < 6; ++j) {
        EXPECT_EQ(map.detailCoef[j].GetSize(), 12);
        EXPECT_EQ(map.detailCoef[j].GrowBy(), 1);
        EXPECT_EQ(map.detailWave[j].GetSize(), 12);
    }
    ASSERT_EQ(map.sectorRotation.GetSize(), 6);
    for (int k = 0; k < 6; ++k) {
        double angle = (k + 1) * kPi / 3;
        EXPECT_NEAR(map.sectorAngle[k], angle, 1e-9);
        ExpectNear(map.sectorRotation[k], std::cos(angle), -std::sin(angle), 1e-9);
    }
    // Values only the session record carries.
    EXPECT_EQ(map.spareMinusFullHeight, -2 * map.halfHeight);
    EXPECT_DOUBLE_EQ(map.twoThirds, 2.0 / 3.0);
    EXPECT_EQ(map.threeHalves, 1.5);

    // Harmonic (a, b) has the wave vector 2 pi (a, (2b - a) / sqrt 3) and its
    // rotated and mirrored copies.
    const int pairs[12][2] = {{1, 0}, {2, 1}, {3, 2}, {4, 3}, {5, 4}, {5, 3},
                              {6, 5}, {7, 6}, {7, 5}, {7, 4}, {8, 7}, {8, 5}};
    for (int k = 0; k < 12; ++k) {
        Cx v = map.twoPi * Cx(pairs[k][0], (2 * pairs[k][1] - pairs[k][0]) / kRoot3);
        std::array<Cx, 6> expected = Sextet(v);
        for (int j = 0; j < 6; ++j) ExpectNear(map.detailWave[j][k], expected[j].real(), expected[j].imag(), 1e-8);
    }
}

TEST(HexMapFold, WorkedPoints)
{
    HexMap map;
    const double h = map.halfHeight;
    ExpectNear(map.FoldToCell({0, 0}), 0, 0, 1e-12);
    ExpectNear(map.FoldToCell({0.5, 0.1}), 0.5, 0.1, 1e-12);
    ExpectNear(map.FoldToCell({0, 0.5}), 0.4330127, 0.25, 1e-6);
    ExpectNear(map.w, 0, 0.5, 1e-12);  // translated point before the rotation

    // The positive real axis counts as angle 2 pi.
    ExpectNear(map.FoldToCell({0.2, 0}), 0.1, 0.1732051, 1e-6);
    ExpectNear(map.FoldToCell({3.2, 0}), 0.1, 0.1732051, 1e-6);
    ExpectNear(map.w, 0.2, 0, 1e-12);

    ExpectNear(map.FoldToCell({1.5, h}), 0, 0, 1e-12);
    ExpectNear(map.FoldToCell({-3, 0}), 0, 0, 1e-12);
    // (0, h) reduces to the bottom edge, wraps up by exactly 2h and turns by -60 degrees.
    ExpectNear(map.FoldToCell({0, h}), 0.75, 0.4330127, 1e-6);
    EXPECT_EQ(map.w, Complex(0, h));
    // Just inside the corner because the left shift is 1.5000001.
    Complex corner = map.FoldToCell({1, 0});
    ExpectNear(corner, 0.5, h, 1e-6);
    EXPECT_LT(corner.re, 0.5);
    EXPECT_LT(corner.im, h);

    ExpectNear(map.FoldToCell({-123.4, 56.7}), 0.4, 0.4577, 1e-4);
    ExpectNear(map.FoldToCell({10.7, -5.3}), 0.7601, 0.2079, 1e-4);
    EXPECT_EQ(map.z, map.FoldToCell({10.7, -5.3}));
}

TEST(HexMapFold, AnyPointLandsInTheTriangleAtItsHexagonDistance)
{
    HexMap map;
    std::mt19937_64 gen(20240611);
    for (double range : {2.0, 50.0, 1e5}) {
        std::uniform_real_distribution<double> coord(-range, range);
        for (int i = 0; i < 20000; ++i) {
            Complex p(coord(gen), coord(gen));
            Complex r = map.FoldToCell(p);
            ExpectInTriangle(r, p);
            EXPECT_NEAR(std::hypot(r.re, r.im), DistanceToFoldLattice(p, map.halfHeight), 1e-6)
                << p.re << ", " << p.im;
            if (HasFailure()) return;
        }
    }
    // Folding is idempotent on the fundamental triangle's inside.
    Complex inside(0.6, 0.3);
    ExpectNear(map.FoldToCell(map.FoldToCell(inside)), inside, 1e-12);
}

TEST(HexMapGeometry, SetGeometryFollowsWidthAndAlpha)
{
    HexMap map;
    map.alpha = {0.03, -0.07};
    map.SetGeometry(200.0);
    EXPECT_EQ(map.cellWidth, 200.0);
    EXPECT_DOUBLE_EQ(map.invCellWidth, 1 / 200.0);
    EXPECT_EQ(map.tileWidth, 600.0);
    EXPECT_NEAR(map.tileHeight, 200.0 * kRoot3, 1e-6);
    const double hn = map.halfHeight * 200;
    Complex corners[5] = {{0, 0}, {600, 0}, {300, hn}, {0, 2 * hn}, {600, 2 * hn}};
    for (int i = 0; i < 5; ++i) ExpectNear(map.tileCorners[i], corners[i], 1e-9);

    std::array<Cx, 6> expected = Sextet(ToStd(map.alpha));
    for (int i = 0; i < 2; ++i) ExpectNear(map.coefC23[i], expected[i + 1].real(), expected[i + 1].imag(), 1e-10);
    for (int i = 0; i < 3; ++i) ExpectNear(map.coefD[i], expected[i + 3].real(), expected[i + 3].imag(), 1e-10);
}

TEST(HexMapGeometry, PixelToLattice)
{
    HexMap map;
    map.SetGeometry(100.0);
    ExpectNear(map.PixelToLattice(0, 0), 0, 0, 0);
    ExpectNear(map.PixelToLattice(300, 0), 0, 0, 0);

    // 45 degrees from corner (0, 0): first sector, no mirror; plane point (0.1, 0.1).
    Complex r = map.PixelToLattice(10, 10);
    EXPECT_NEAR(r.im, 0.1 / kH, 1e-9);
    EXPECT_NEAR(r.re, 0.1 - r.im / 2, 1e-9);

    // Second sector is mirrored: 78.69 degrees becomes 120 - 78.69.
    r = map.PixelToLattice(2, 10);
    double rho = std::hypot(2.0, 10.0) / 100, phi = 2 * kPi / 3 - std::atan2(10.0, 2.0);
    EXPECT_NEAR(r.re + r.im / 2, rho * std::cos(phi), 1e-8);
    EXPECT_NEAR(r.im * kH, rho * std::sin(phi), 1e-8);

    // Every pixel maps to a plane point within 60 degrees, at its distance to
    // the nearest corner.
    for (int py = 0; py <= 173; py += 7) {
        for (int px = 0; px <= 300; px += 11) {
            Complex l = map.PixelToLattice(px, py);
            Complex plane(l.re + l.im / 2, map.halfHeight * l.im);
            double nearest = 1e300;
            for (int i = 0; i < 5; ++i) {
                Complex d = Complex(px, py) - map.tileCorners[i];
                nearest = std::min(nearest, std::hypot(d.re, d.im));
            }
            EXPECT_NEAR(std::hypot(plane.re, plane.im), nearest / 100, 1e-9);
            double angle = std::atan2(plane.im, plane.re);
            EXPECT_GE(angle, -1e-9);
            EXPECT_LE(angle, kPi / 3 + 1e-9);
        }
    }

    // A session carries its own sector scale; one that puts the sector far
    // outside int (or NaN) counts it as even instead of converting it.
    for (double scale : {3e290, -3e290, std::nan("")}) {
        map.sectorScale = scale;
        r = map.PixelToLattice(10, 10);
        EXPECT_NEAR(r.im, 0.1 / kH, 1e-9) << scale;
    }
}

TEST(HexMapCoefficients, DetailCoefficientRoundTripAndSextet)
{
    HexMap map;
    const Complex c(0.21, -0.13);
    map.SetDetailCoefficient(3, c);
    ExpectNear(map.detailCoef[0][3], c.re / 9, c.im / 9, 1e-15);
    ExpectNear(map.GetDetailCoefficient(3), c, 1e-15);
    map.SetDetailCoefficient(11, c);
    ExpectNear(map.detailCoef[0][11], c.re / 49, c.im / 49, 1e-15);
    ExpectNear(map.GetDetailCoefficient(11), c, 1e-15);
    map.SetDetailCoefficient(2, c);
    EXPECT_EQ(map.GetDetailCoefficient(2), c);
    EXPECT_EQ(map.detailCoef[0][2], c);

    Cx base = ToStd(map.detailCoef[0][3]);
    std::array<Cx, 6> sextet = Sextet(base);
    for (int j = 0; j < 6; ++j) ExpectNear(map.detailCoef[j][3], sextet[j].real(), sextet[j].imag(), 1e-9);
    for (int j = 0; j < 6; ++j) EXPECT_EQ(map.detailCoef[j][4], Complex()) << "harmonic 4 untouched";

    // Indices outside the twelve harmonics are refused, not written past the tables.
    map.SetDetailCoefficient(12, c);
    map.SetDetailCoefficient(-1, c);
    EXPECT_EQ(map.GetDetailCoefficient(12), Complex());
    EXPECT_EQ(map.GetDetailCoefficient(-1), Complex());
}

TEST(HexMapRandomize, DrawOrderAndCount)
{
    RandomSource random;
    random.Seed(1234);
    RandomSource expected = random;
    double u[31];
    for (double& v : u) v = expected.RandomUnit();

    HexMap map;
    map.Randomize(random, 1);
    EXPECT_EQ(random.state0, expected.state0);
    EXPECT_EQ(random.state1, expected.state1);
    EXPECT_EQ(random.state2, expected.state2);
    EXPECT_EQ(random.lastValue, expected.lastValue);
    // Exactly one rand call, whose parity gives hEmm.
    StdRand fresh;
    const int first = fresh.rand();
    EXPECT_EQ(random.RandState(), fresh.State());
    EXPECT_EQ(map.hEmm, first % 2 == 1 ? 1.0 : 0.0);

    // The draws' order: lambda, alpha, hAlpha, w, then the twelve harmonics.
    HexMap ordered;
    RandomSource again;
    again.Seed(1234);
    ordered.Randomize(again, 1);
    EXPECT_EQ(ordered.detailed, 1);
    EXPECT_DOUBLE_EQ(ordered.lambda.re, 0.3 * u[0] - 0.15);
    EXPECT_DOUBLE_EQ(ordered.lambda.im, 0.15 * u[1]);
    EXPECT_DOUBLE_EQ(ordered.alpha.re, 0.2 * u[2] - 0.1);
    EXPECT_DOUBLE_EQ(ordered.alpha.im, 0.2 * u[3] - 0.1);
    EXPECT_DOUBLE_EQ(ordered.hAlpha, 0.19 * u[4] - 0.15);
    EXPECT_EQ(ordered.w, Complex(u[5], u[6]));
    EXPECT_DOUBLE_EQ(ordered.detailCoef[0][0].re, 0.6 * u[7] - 0.3);
    EXPECT_DOUBLE_EQ(ordered.detailCoef[0][0].im, 0.6 * u[8] - 0.3);
    EXPECT_DOUBLE_EQ(ordered.detailCoef[0][3].re, (0.6 * u[13] - 0.3) / 9);
    EXPECT_DOUBLE_EQ(ordered.detailCoef[0][11].im, (0.6 * u[30] - 0.3) / 49);
    // coefC23 and coefD wait for SetGeometry.
    EXPECT_EQ(ordered.coefC23[0], Complex());
    EXPECT_EQ(ordered.coefD[0], Complex());
}

TEST(HexMapRandomize, Ranges)
{
    const double damping[12] = {1, 1, 1, 9, 16, 16, 25, 36, 36, 36, 49, 49};
    RandomSource random;
    random.Seed(77);
    HexMap map;
    int emmOnes = 0;
    for (int i = 0; i < 300; ++i) {
        map.Randomize(random, 0);
        EXPECT_EQ(map.detailed, 0);
        EXPECT_GE(map.lambda.re, -0.15);
        EXPECT_LE(map.lambda.re, 0.15);
        EXPECT_GE(map.lambda.im, 0.0);
        EXPECT_LE(map.lambda.im, 0.15);
        for (double a : {map.alpha.re, map.alpha.im}) {
            EXPECT_GE(a, -0.1);
            EXPECT_LE(a, 0.1);
        }
        EXPECT_GE(map.hAlpha, -0.15);
        EXPECT_LE(map.hAlpha, 0.04 + 1e-15);
        EXPECT_TRUE(map.hEmm == 0.0 || map.hEmm == 1.0);
        emmOnes += map.hEmm == 1.0;
        for (int k = 0; k < 12; ++k) {
            Complex c = map.GetDetailCoefficient(k);
            EXPECT_LE(std::abs(c.re), 0.3 + 1e-12);
            EXPECT_LE(std::abs(c.im), 0.3 + 1e-12);
            EXPECT_LE(std::abs(map.detailCoef[0][k].re), 0.3 / damping[k] + 1e-12);
        }
        if (HasFailure()) return;
    }
    EXPECT_GT(emmOnes, 50);
    EXPECT_LT(emmOnes, 250);
}

TEST(HexMapSum, PlainSumMatchesTheFormula)
{
    HexMap map = RandomizedMap(11, 0);
    Cx lambda = ToStd(map.lambda), alpha = ToStd(map.alpha);
    const double twoPi = 6.283185307, r3 = 1 / kRoot3;
    for (Complex p : {Complex(0.3, 0.1), Complex(-2.7, 5.25), Complex(0.01, 0.8)}) {
        Cx z = ToStd(p);
        auto s = [&](Cx k) { return std::sin(twoPi * (k.real() * z.real() + k.imag() * z.imag())); };
        auto family = [&](Cx k1, Cx c1, bool coefficientIsVector) {
            Cx sum = 0;
            Cx k = k1, c = c1;
            for (int j = 0; j < 3; ++j, k *= kOmega, c *= kOmega) sum += s(k) * (coefficientIsVector ? k : c);
            return sum;
        };
        Cx expected = lambda * family({1, -r3}, {}, true) + map.hAlpha * family({2, 0}, {}, true) +
                      family({3, r3}, alpha, false) + map.hEmm * z + family({3, -r3}, std::conj(alpha), false);
        Complex got = SumAt(map, p);
        ExpectNear(got, expected.real(), expected.imag(), 1e-8);
    }
}

TEST(HexMapSum, BothFormsHaveLatticeAndThreeFoldSymmetry)
{
    for (int detailFlag : {0, 1}) {
        HexMap map = RandomizedMap(5, detailFlag);
        map.hEmm = 0.0;  // the linear term breaks the lattice periodicity
        const Complex e1(1, 0), e2(0.5, map.halfHeight);
        std::mt19937_64 gen(99);
        std::uniform_real_distribution<double> coord(-3, 3);
        for (int i = 0; i < 200; ++i) {
            Complex p(coord(gen), coord(gen));
            Complex base = SumAt(map, p);
            ExpectNear(SumAt(map, p + e1), base, 1e-7);
            ExpectNear(SumAt(map, p + 2.0 * e2 - e1), base, 1e-7);
            ExpectNear(SumAt(map, map.rot120 * p), map.rot120 * base, 1e-7);
            if (HasFailure()) return;
        }
    }
}

TEST(HexMapSum, DetailedSumStopsAtDepth)
{
    HexMap map = RandomizedMap(3, 1);
    const Complex p(0.37, -0.22);

    map.depth = 0;
    Complex only0 = SumAt(map, p);
    // Harmonic 0 alone, computed from its coefficient and wave vector.
    Cx z = ToStd(p), c = ToStd(map.detailCoef[0][0]);
    Cx v = map.twoPi * Cx(1, -1 / kRoot3), expected = 0;
    std::array<Cx, 6> waves = Sextet(v), coefs = Sextet(c);
    for (int j = 0; j < 6; ++j)
        expected += std::sin(waves[j].real() * z.real() + waves[j].imag() * z.imag()) * coefs[j];
    ExpectNear(only0, expected.real(), expected.imag(), 1e-9);
    // The other harmonics do not take part.
    for (int k = 1; k < 12; ++k) map.SetDetailCoefficient(k, {0.25, 0.25});
    EXPECT_EQ(SumAt(map, p), only0);
    map.SetDetailCoefficient(0, {0.25, 0.25});
    EXPECT_NE(SumAt(map, p), only0);

    // The sextet of the last harmonic summed stays in the plain-form fields.
    map.depth = 4;
    SumAt(map, p);
    EXPECT_EQ(map.alpha, map.detailCoef[0][4]);
    EXPECT_EQ(map.coefC23[0], map.detailCoef[1][4]);
    EXPECT_EQ(map.coefC23[1], map.detailCoef[2][4]);
    for (int j = 0; j < 3; ++j) EXPECT_EQ(map.coefD[j], map.detailCoef[3 + j][4]);

    // Depths beyond the tables stop at harmonic 11; a negative depth sums nothing.
    map.depth = 11;
    Complex full = SumAt(map, p);
    map.depth = 40;
    EXPECT_EQ(SumAt(map, p), full);
    map.depth = -1;
    EXPECT_EQ(SumAt(map, p), Complex());
}

TEST(HexMapStep, IterateFoldsAndKnotReturnsLatticeCoordinates)
{
    for (int detailFlag : {0, 1}) {
        HexMap map = RandomizedMap(8, detailFlag);
        Complex p(0.4, 0.2);
        for (int i = 0; i < 1000; ++i) {
            Complex next = map.Iterate(p);
            ExpectInTriangle(next, p);
            EXPECT_EQ(map.z, next);
            p = next;
        }

        HexMap twin = map;
        Complex q(0.61, 0.35);
        Complex lattice = map.IterateKnot(q);
        const Complex w = map.w;
        EXPECT_EQ(lattice.im, w.im / map.halfHeight);
        EXPECT_EQ(lattice.re, w.re - lattice.im / 2);
        ExpectNear(Complex(lattice.re + lattice.im / 2, map.halfHeight * lattice.im), w, 1e-12);
        // Same sum as the folding step, just not folded.
        EXPECT_EQ(twin.Iterate(q), twin.FoldToCell(w));
    }
}

TEST(HexMapStep, StepsAllocateNothing)
{
    HexMap map = RandomizedMap(21, 0);
    Complex p(0.4, 0.2);
    long before = allocations.load();
    for (int i = 0; i < 1000; ++i) p = map.Iterate(p);
    map.detailed = 1;
    for (int i = 0; i < 1000; ++i) p = map.Iterate(p);
    for (int i = 0; i < 1000; ++i) p = map.IterateKnot(p);
    for (int i = 0; i < 100; ++i) p = map.PixelToLattice(i, i);
    EXPECT_EQ(allocations.load(), before);
}

}  // namespace
}  // namespace tilvex

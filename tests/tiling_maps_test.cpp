#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <limits>
#include <random>
#include <set>
#include <string>
#include <type_traits>
#include <vector>

#include "maps/MapFourEight.h"
#include "maps/MapSixFourTwelve.h"
#include "maps/MapThreeTwelve.h"

namespace tilvex {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kNear = 5e-7;  // the worked values are given to seven decimals

void ExpectNear(Complex actual, double re, double im, double tol = kNear)
{
    EXPECT_NEAR(actual.re, re, tol);
    EXPECT_NEAR(actual.im, im, tol);
}

// How far p lies outside the regular polygon (positive: outside). The first
// edge normal points at angle firstNormal.
double OutsidePolygon(Complex p, Complex center, double apothem, int sides, double firstNormal)
{
    double worst = -std::numeric_limits<double>::infinity();
    for (int k = 0; k < sides; ++k) {
        double angle = firstNormal + 2 * kPi * k / sides;
        double reach = (p.re - center.re) * std::cos(angle) + (p.im - center.im) * std::sin(angle);
        worst = std::max(worst, reach - apothem);
    }
    return worst;
}

// Random plane points of both signs, a few far out.
std::vector<Complex> RandomPoints(int count, unsigned seed)
{
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> near(-5.0, 5.0);
    std::uniform_real_distribution<double> far(-2000.0, 2000.0);
    std::vector<Complex> points;
    for (int i = 0; i < count; ++i) {
        if (i % 10 == 0)
            points.push_back({far(gen), far(gen)});
        else
            points.push_back({near(gen), near(gen)});
    }
    return points;
}

struct FoldCase {
    Complex in;
    int type;
    double re, im;
};

template <class Map>
void ExpectFolds(Map& m, std::initializer_list<FoldCase> cases, double tol)
{
    for (const FoldCase& c : cases) {
        Complex p = c.in;
        m.tileType = -1;
        Complex q = m.FoldToCell(p);
        EXPECT_EQ(m.tileType, c.type) << "(" << c.in.re << ", " << c.in.im << ")";
        EXPECT_NEAR(q.re, c.re, tol) << "(" << c.in.re << ", " << c.in.im << ")";
        EXPECT_NEAR(q.im, c.im, tol) << "(" << c.in.re << ", " << c.in.im << ")";
    }
}

// A copy of c that the fold of `map` reproduces bit for bit, so that a point
// on the same horizontal line gives z with an imaginary part of exactly 0.
template <class Map>
Complex FoldFixpoint(Map map, Complex c)
{
    map.FoldToCell(c);
    return c;
}

// ---------------------------------------------------------------------------
// Per-map facts the shared tests need.

struct Tile {
    int type;
    int sides;
    Complex center;
    CComplexArray* radial;
    CComplexArray* angular;
};

template <class Map>
struct Facts;

template <>
struct Facts<MapSixFourTwelve> {
    static constexpr int kDraws = 48;
    static constexpr int kRecordBytes = 976;
    static std::vector<Tile> Tiles(MapSixFourTwelve& m)
    {
        return {{0, 4, m.squareCenter, &m.squareRadial, &m.squareAngular},
                {1, 6, m.hexCenter, &m.hexRadial, &m.hexAngular},
                {2, 12, m.dodecagonCenter, &m.dodecagonRadial, &m.dodecagonAngular}};
    }
    static std::vector<CComplexArray*> DrawOrder(MapSixFourTwelve& m)
    {
        return {&m.squareRadial, &m.squareAngular, &m.hexRadial, &m.hexAngular, &m.dodecagonRadial, &m.dodecagonAngular};
    }
    static std::string Record() { return "C d CCCCCCC " + std::string(24, 'C') + " ddddddddddd CCCCCCCCCCC d ii CCCCC dddddddddddd"; }
    static Complex Cell(const MapSixFourTwelve& m) { return {m.dodecagonCenter.re, 1.0}; }
};

template <>
struct Facts<MapFourEight> {
    static constexpr int kDraws = 32;
    static constexpr int kRecordBytes = 704;
    static std::vector<Tile> Tiles(MapFourEight& m)
    {
        return {{0, 4, m.squareCenter, &m.squareRadial, &m.squareAngular},
                {1, 8, m.octagonCenter, &m.octagonRadial, &m.octagonAngular}};
    }
    static std::vector<CComplexArray*> DrawOrder(MapFourEight& m)
    {
        return {&m.squareRadial, &m.squareAngular, &m.octagonRadial, &m.octagonAngular};
    }
    static std::string Record() { return "CCCCCC ddddddd " + std::string(16, 'C') + " CCCCCCCCCC d ii CCCC ddddddd"; }
    static Complex Cell(const MapFourEight& m) { return {m.topRightSquareCenter.re, 1.0}; }
};

template <>
struct Facts<MapThreeTwelve> {
    static constexpr int kDraws = 32;
    static constexpr int kRecordBytes = 792;
    static std::vector<Tile> Tiles(MapThreeTwelve& m)
    {
        return {{0, 3, m.triangleCenter, &m.triangleRadial, &m.triangleAngular},
                {1, 12, m.dodecagonCenter, &m.dodecagonRadial, &m.dodecagonAngular}};
    }
    static std::vector<CComplexArray*> DrawOrder(MapThreeTwelve& m)
    {
        return {&m.triangleRadial, &m.triangleAngular, &m.dodecagonRadial, &m.dodecagonAngular};
    }
    static std::string Record() { return "CCCCCCCCC dddddd " + std::string(16, 'C') + " CCCCCCCCCC d ii CCCC ddddddddddddd"; }
    static Complex Cell(const MapThreeTwelve& m) { return {1.0, m.topDodecagonCenter.im}; }
};

template <class Map>
class TilingMap : public ::testing::Test {};

using TilingMaps = ::testing::Types<MapSixFourTwelve, MapFourEight, MapThreeTwelve>;
TYPED_TEST_SUITE(TilingMap, TilingMaps);

// ---------------------------------------------------------------------------
// Session record: the run of field types and its byte size.

TYPED_TEST(TilingMap, RecordFieldsFollowTheSessionLayout)
{
    const TypeParam map;
    std::string run;
    std::size_t bytes = 0;
    std::set<const void*> seen;
    map.ForEachRecordField([&](const auto& field) {
        using T = std::decay_t<decltype(field)>;
        if constexpr (std::is_same_v<T, Complex>)
            run += 'C';
        else if constexpr (std::is_same_v<T, double>)
            run += 'd';
        else if constexpr (std::is_same_v<T, int>)
            run += 'i';
        else
            run += '?';
        bytes += sizeof(field);
        seen.insert(&field);
    });
    std::string expected = Facts<TypeParam>::Record();
    expected.erase(std::remove(expected.begin(), expected.end(), ' '), expected.end());
    EXPECT_EQ(run, expected);
    EXPECT_EQ(bytes, static_cast<std::size_t>(Facts<TypeParam>::kRecordBytes));
    EXPECT_EQ(seen.size(), run.size()) << "a field is visited twice";
    EXPECT_EQ(seen.count(&map.tileType), 0u);
}

// ---------------------------------------------------------------------------
// Randomize: draw order and count, ranges, and nothing from rand.

TYPED_TEST(TilingMap, RandomizeDrawsEveryCoefficientInOrder)
{
    TypeParam map;
    RandomSource used, reference;
    used.Seed(4711.0);
    reference.Seed(4711.0);
    const std::uint32_t randBefore = used.RandState();

    map.Randomize(used);

    std::vector<CComplexArray*> arrays = Facts<TypeParam>::DrawOrder(map);
    int draws = 0;
    for (int i = 0; i < 4; ++i) {
        for (CComplexArray* k : arrays) {
            double re = 20.0 * reference.RandomUnit() - 10.0;
            double im = 20.0 * reference.RandomUnit() - 10.0;
            draws += 2;
            EXPECT_EQ((*k)[i].re, re) << "element " << i;
            EXPECT_EQ((*k)[i].im, im) << "element " << i;
        }
    }
    EXPECT_EQ(draws, Facts<TypeParam>::kDraws);
    EXPECT_EQ(used.Next(), reference.Next()) << "Randomize drew a different number of values";
    EXPECT_EQ(used.RandState(), randBefore);
}

TYPED_TEST(TilingMap, RandomCoefficientsStayWithinTen)
{
    TypeParam map;
    RandomSource random;
    for (int seed = 1; seed <= 200; ++seed) {
        random.Seed(seed * 37.0);
        map.Randomize(random);
        for (CComplexArray* k : Facts<TypeParam>::DrawOrder(map))
            for (int i = 0; i < 4; ++i)
                for (double part : {(*k)[i].re, (*k)[i].im}) ASSERT_TRUE(part >= -10.0 && part <= 10.0) << part;
    }
}

// ---------------------------------------------------------------------------
// Iterate.

TYPED_TEST(TilingMap, IterateAtATileCentreGivesTheCentre)
{
    TypeParam map;
    RandomSource random;
    random.Seed(99.0);
    map.Randomize(random);
    for (const Tile& tile : Facts<TypeParam>::Tiles(map)) {
        // The 3-12-12 triangle centre lies on x = 0.5, which the fold gives to the dodecagon.
        if (std::is_same_v<TypeParam, MapThreeTwelve> && tile.type == 0) continue;
        Complex centre = tile.center;
        Complex folded = centre;
        map.FoldToCell(folded);
        ASSERT_EQ(map.tileType, tile.type);
        Complex p = centre;
        Complex result = map.Iterate(p);
        // The fold may move the centre by a rounding step, so z is 0 or tiny.
        EXPECT_NEAR(result.re, folded.re, 1e-12) << "tile " << tile.type;
        EXPECT_NEAR(result.im, folded.im, 1e-12) << "tile " << tile.type;
        EXPECT_EQ(map.tileType, tile.type);
        EXPECT_EQ(p, folded);
    }
}

// new = C + P(|z|^2) z + Q(Re z^n) conj(z)^(n-1), checked against std::complex.
TYPED_TEST(TilingMap, IterateFollowsTheTiledPolynomialMap)
{
    TypeParam map;
    RandomSource random;
    random.Seed(2024.0);
    map.Randomize(random);
    for (CComplexArray* k : Facts<TypeParam>::DrawOrder(map))
        for (int i = 0; i < 4; ++i) (*k)[i] = 0.02 * (*k)[i];  // keep the new point in its tile mostly

    int checked = 0;
    for (Complex start : RandomPoints(300, 5)) {
        TypeParam probe = map;
        Complex q = start;
        q = probe.FoldToCell(q);
        const int type = probe.tileType;
        const Tile tile = Facts<TypeParam>::Tiles(probe)[type];
        const std::complex<double> z(q.re - tile.center.re, q.im - tile.center.im);
        if (z.imag() == 0.0) continue;
        auto poly = [](const CComplexArray& c, std::complex<double> x) {
            std::complex<double> sum;
            for (int i = 3; i >= 0; --i) sum = sum * x + std::complex<double>(c[i].re, c[i].im);
            return sum;
        };
        const std::complex<double> next = std::complex<double>(tile.center.re, tile.center.im) +
                                          poly(*tile.radial, std::norm(z)) * z +
                                          poly(*tile.angular, std::pow(z, tile.sides).real()) *
                                              std::pow(std::conj(z), tile.sides - 1);
        Complex expected{next.real(), next.imag()};
        expected = probe.FoldToCell(expected);
        const int expectedType = probe.tileType;

        Complex p = start;
        Complex result = map.Iterate(p);
        EXPECT_EQ(map.tileType, expectedType);
        EXPECT_NEAR(result.re, expected.re, 1e-9);
        EXPECT_NEAR(result.im, expected.im, 1e-9);
        EXPECT_EQ(map.lastPoint, result);
        ++checked;
    }
    EXPECT_GT(checked, 250);
}

TYPED_TEST(TilingMap, OrbitStaysInTheFoldCell)
{
    TypeParam map;
    RandomSource random;
    random.Seed(31.0);
    const Complex cell = Facts<TypeParam>::Cell(map);
    for (int quilt = 0; quilt < 10; ++quilt) {
        map.Randomize(random);
        Complex p{random.RandomUnit(), random.RandomUnit()};
        for (int step = 0; step < 2000; ++step) {
            p = map.Iterate(p);
            ASSERT_TRUE(std::isfinite(p.re) && std::isfinite(p.im));
            ASSERT_GE(p.re, 0.0);
            ASSERT_GE(p.im, 0.0);
            ASSERT_LE(p.re, cell.re + 1e-9);
            ASSERT_LE(p.im, cell.im + 1e-9);
        }
    }
}

// Coefficients that make the step C + (1 + Re z^n) conj(z)^(n-1).
template <class Map>
void UseAngularOnly(Map& map)
{
    for (CComplexArray* k : Facts<Map>::DrawOrder(map))
        for (int i = 0; i < 4; ++i) (*k)[i] = {0.0, 0.0};
    for (const Tile& tile : Facts<Map>::Tiles(map)) {
        (*tile.angular)[0] = {1.0, 0.0};
        (*tile.angular)[1] = {1.0, 0.0};
    }
}

// On the negative real axis the angle is taken as 0, so z^n and conj(z)^(n-1)
// are |z|^n and |z|^(n-1), positive real, whatever the parity of n.
void ExpectAngleZeroPowers(const Complex& zPowN, const Complex& conjPow, double d, int n)
{
    EXPECT_NEAR(zPowN.re, std::pow(d, n), 1e-12 * std::pow(d, n));
    EXPECT_EQ(zPowN.im, 0.0);
    EXPECT_NEAR(conjPow.re, std::pow(d, n - 1), 1e-12 * std::pow(d, n - 1));
    EXPECT_EQ(conjPow.im, 0.0);
}

TEST(TilingIterate, NegativeRealAxisCountsAsAngleZero)
{
    {
        // 4-8-8 octagon, n = 8: conj(z)^7 would be negative.
        MapFourEight map;
        UseAngularOnly(map);
        map.octagonCenter = FoldFixpoint(map, map.octagonCenter);
        const double d = 0.3;
        Complex p{map.octagonCenter.re - d, map.octagonCenter.im};
        Complex result = map.Iterate(p);
        ASSERT_EQ(map.tileType, 1);
        ASSERT_EQ(map.savedZ.im, 0.0);
        ExpectAngleZeroPowers(map.zPowN, map.conjZPowN1, -map.savedZ.re, 8);
        const double r = -map.savedZ.re;
        EXPECT_NEAR(result.re, map.octagonCenter.re + (1 + std::pow(r, 8)) * std::pow(r, 7), 1e-12);
        EXPECT_NEAR(result.im, map.octagonCenter.im, 1e-12);
    }
    {
        // 3-12-12 triangle, n = 3: z^3 would be negative.
        MapThreeTwelve map;
        UseAngularOnly(map);
        map.triangleCenter = FoldFixpoint(map, map.triangleCenter);
        Complex p{map.triangleCenter.re - 0.05, map.triangleCenter.im};
        Complex result = map.Iterate(p);
        ASSERT_EQ(map.tileType, 0);
        ASSERT_EQ(map.savedZ.im, 0.0);
        const double r = -map.savedZ.re;
        ExpectAngleZeroPowers(map.zPowN, map.conjZPowN1, r, 3);
        EXPECT_NEAR(result.re, map.triangleCenter.re + (1 + std::pow(r, 3)) * std::pow(r, 2), 1e-12);
        EXPECT_NEAR(result.im, map.triangleCenter.im, 1e-12);
    }
    {
        // 4-6-12 dodecagon, n = 12: conj(z)^11 would be negative. The new point
        // lies beyond the mirror x = W, so only the powers tell.
        MapSixFourTwelve map;
        UseAngularOnly(map);
        map.dodecagonCenter.im = FoldFixpoint(map, map.dodecagonCenter).im;
        Complex p{map.dodecagonCenter.re - 0.3, map.dodecagonCenter.im};
        map.Iterate(p);
        ASSERT_EQ(map.tileType, 2);
        ASSERT_EQ(map.savedZ.im, 0.0);
        ExpectAngleZeroPowers(map.zPowN, map.conjZPowN1, -map.savedZ.re, 12);
    }
}

// ---------------------------------------------------------------------------
// 4-6-12.

TEST(SixFourTwelve, TwoPassLayoutGivesAUnitHighCell)
{
    MapSixFourTwelve m;
    EXPECT_EQ(m.origin, Complex(0.000001, 0.000001));
    EXPECT_EQ(m.squareCenter, m.origin);
    EXPECT_EQ(m.sqrt2, std::sqrt(2.0));
    EXPECT_EQ(m.quarterPi, 0.785398163375);
    EXPECT_EQ(m.sixthPi, 0.5235987755833333);
    EXPECT_EQ(m.thirdPi, 1.0471975511666667);
    EXPECT_EQ(m.twelfthPi, 0.785398163375 * 0.3333333333333333);
    EXPECT_NEAR(m.halfEdge, 0.1220085, kNear);
    EXPECT_NEAR(m.dodecagonApothem, 0.4553417, kNear);
    EXPECT_NEAR(m.hexApothem, 0.2113248, kNear);
    EXPECT_NEAR(m.edge, 2 * m.halfEdge, 1e-10);  // sixthPi is stored short
    EXPECT_NEAR(m.squareHalfDiagonal * std::cos(m.quarterPi), m.halfEdge, 1e-15);
    EXPECT_NEAR(m.dodecagonCenter.re, 0.5773512, kNear);
    EXPECT_NEAR(m.upperDodecagonCenter.im, 1.0000009, kNear);
    ExpectNear(m.hexCenter, 0.000001, 0.3333343);
    ExpectNear(m.upperHexCenter, 0.5773512, 0.6666676);
    ExpectNear(m.slantSquareCenter, 0.2886751, 0.4999999);
    ExpectNear(m.upperSquareCenter, 0.5773512, 1.0000009);
    ExpectNear(m.rotateMinusSixth, 0.8660254, -0.5);
}

TEST(SixFourTwelve, BoundaryConstantsAreStoredInRecordOrder)
{
    MapSixFourTwelve m;
    const double a = m.halfEdge, b = m.dodecagonApothem, c = m.hexApothem;
    const std::vector<double> stored{m.limitA,         m.limitTwoCPlusA, m.limitA2, m.limitTwoA,  m.limitUnused,
                                     m.limitTwoCPlusB, m.limitBMinusA,   m.limitB,  m.limitCPlusA, m.limitBPlusC};
    const std::vector<double> expected{a, 2 * c + a, a, 2 * a, 0.0, 2 * c + b, b - a, b, c + a, b + c};
    ASSERT_EQ(stored.size(), expected.size());
    for (std::size_t i = 0; i < stored.size(); ++i) EXPECT_NEAR(stored[i], expected[i], 1e-15) << "constant " << i;
}

TEST(SixFourTwelve, FoldsTheWorkedPoints)
{
    MapSixFourTwelve m;
    ExpectFolds(m,
                {{{0.1, 0.05}, 0, 0.1, 0.05},
                 {{-0.1, -0.05}, 0, 0.1, 0.05},
                 {{0.55, 0.05}, 2, 0.55, 0.05},
                 {{0.05, 0.95}, 2, 0.5273522, 0.0499999},
                 {{0.5, 0.7}, 1, 0.0773502, 0.3666667},
                 {{0.3, 0.5}, 0, 0.0098077, 0.0056624}},
                kNear);
    Complex p{-0.1 + 2 * m.dodecagonCenter.re, 0.95 - 4};
    m.FoldToCell(p);
    ExpectNear(p, 0.1, 0.95, 1e-12);  // p itself comes back as the mirrored position, before any transfer
}

TEST(SixFourTwelve, EqualityOnABoundaryGoesWhereTheComparisonIncludesIt)
{
    MapSixFourTwelve m;
    // Make Y = a exactly: use the value the fold reproduces as the boundary.
    Complex probe{0.05, m.halfEdge};
    m.FoldToCell(probe);
    m.limitA = m.limitA2 = probe.im;
    Complex p = probe;
    m.FoldToCell(p);
    EXPECT_EQ(m.tileType, 1) << "Y = a is not in the square rows";
    p = {0.05, probe.im - std::ldexp(1.0, -52)};  // the next value below that the fold keeps
    m.FoldToCell(p);
    EXPECT_EQ(m.tileType, 0);
}

// Canonical hexagon points may come from the documented sliver next to the
// vertex (b, b): points below y = b right of the line from the slanted square's
// centre through that vertex are judged by the slanted square's side.
bool InHexagonSliver(const MapSixFourTwelve& m, Complex folded)
{
    const double b = m.dodecagonApothem;
    const Complex s = m.slantSquareCenter;
    if (folded.im > b || folded.re < b) return false;
    const double lineY = s.im + (b - s.im) * (folded.re - s.re) / (b - s.re);
    return folded.im >= lineY - 1e-9;
}

TEST(SixFourTwelve, CanonicalPointsLieInTheirCanonicalTile)
{
    MapSixFourTwelve m;
    const double tol = 1e-6;
    int counts[3] = {0, 0, 0}, sliver = 0;
    for (Complex in : RandomPoints(60000, 7)) {
        Complex p = in;
        Complex q = m.FoldToCell(p);
        ASSERT_GE(p.re, 0.0);
        ASSERT_LE(p.re, m.dodecagonCenter.re);
        ASSERT_GE(p.im, 0.0);
        ASSERT_LE(p.im, 1.0);
        ASSERT_GE(m.tileType, 0);
        ASSERT_LE(m.tileType, 2);
        ++counts[m.tileType];
        switch (m.tileType) {
        case 0:
            EXPECT_GE(q.re, -tol);
            EXPECT_GE(q.im, -tol);
            EXPECT_LE(q.re, m.halfEdge + tol);
            EXPECT_LE(q.im, m.halfEdge + tol);
            break;
        case 1:
            EXPECT_GE(q.re, 0.0);
            if (OutsidePolygon(q, m.hexCenter, m.hexApothem, 6, kPi / 6) > tol) {
                ++sliver;
                EXPECT_TRUE(InHexagonSliver(m, p)) << "folded (" << p.re << ", " << p.im << ")";
            }
            break;
        default:
            EXPECT_LE(OutsidePolygon(q, m.dodecagonCenter, m.dodecagonApothem, 12, 0.0), tol);
            EXPECT_LE(q.re, m.dodecagonCenter.re);
            EXPECT_GE(q.im, 0.0);
        }
    }
    for (int count : counts) EXPECT_GT(count, 3000);
    EXPECT_LT(sliver, 60000 / 100);
}

// ---------------------------------------------------------------------------
// 4-8-8.

TEST(FourEightEight, TwoPassLayoutGivesAUnitCell)
{
    MapFourEight m;
    EXPECT_EQ(m.origin, Complex(0, 0));
    EXPECT_EQ(m.squareCenter, Complex(0, 0));
    EXPECT_EQ(m.quarterPi, 0.785398163375);
    EXPECT_EQ(m.eighthPi, 0.3926990816875);
    EXPECT_EQ(m.sqrt2, std::sqrt(2.0));
    ExpectNear(m.topLeftSquareCenter, 0, 1);
    ExpectNear(m.topRightSquareCenter, 1, 1);
    ExpectNear(m.rightSquareCenter, 1, 0);
    ExpectNear(m.octagonCenter, 0.5, 0.5);
    EXPECT_NEAR(m.halfEdge, 0.2071068, kNear);
    EXPECT_NEAR(m.squareHalfDiagonal, 0.2928932, kNear);
    EXPECT_NEAR(m.octagonApothem, 0.5, kNear);
    EXPECT_NEAR(m.octagonRadius, 0.5411961, kNear);
    for (double band : {m.bandLimit, m.bandLimitY, m.bandLimitCorner}) EXPECT_NEAR(band, 0.7071068, kNear);
    EXPECT_EQ(m.lowerSlope, -1.0);
    EXPECT_EQ(m.upperSlope, 1.0);
}

TEST(FourEightEight, FoldsTheWorkedPoints)
{
    MapFourEight m;
    ExpectFolds(m,
                {{{0.1, 0.1}, 0, 0.1, 0.1},
                 {{0.2, 0.2}, 1, 0.2, 0.2},
                 {{0.9, 0.1}, 0, 0.1, 0.1},
                 {{0.1, 0.9}, 0, 0.1, 0.1},
                 {{0.9, 0.9}, 0, 0.1, 0.1},
                 {{0.75, 0.75}, 1, 0.75, 0.75},
                 {{1.5, 0.5}, 1, 0.5, 0.5},
                 {{-0.1, -0.05}, 0, 0.1, 0.05},
                 {{0.5, 0.05}, 1, 0.5, 0.05},
                 {{-0.9, 2.05}, 0, 0.1, 0.05}},
                1e-12);
}

TEST(FourEightEight, VerticalEdgeQuotientsAndBoundaryRows)
{
    MapFourEight m;
    // X exactly 0 above the band: quotient 999999.999, a square point.
    Complex p{0.0, 0.8};
    Complex q = m.FoldToCell(p);
    EXPECT_EQ(p.re, 0.0);
    EXPECT_EQ(m.tileType, 0);
    ExpectNear(q, 0.0, 0.2, 1e-12);
    // X exactly W above the band: quotient 999999.999, an octagon point.
    p = {m.topRightSquareCenter.re, 0.8};
    q = m.FoldToCell(p);
    EXPECT_EQ(p.re, m.topRightSquareCenter.re);
    EXPECT_EQ(m.tileType, 1);
    ExpectNear(q, m.topRightSquareCenter.re, 0.8, 1e-12);
    // X exactly L: the first row (octagon), not the corner square.
    Complex probe{m.squareHalfDiagonal, 0.1};
    m.FoldToCell(probe);
    m.squareHalfDiagonal = probe.re;
    p = probe;
    m.FoldToCell(p);
    EXPECT_EQ(m.tileType, 1);
}

TEST(FourEightEight, CanonicalPointsLieInTheirCanonicalTile)
{
    MapFourEight m;
    const double tol = 1e-6;
    int counts[2] = {0, 0};
    for (Complex in : RandomPoints(60000, 8)) {
        Complex p = in;
        Complex q = m.FoldToCell(p);
        ASSERT_GE(m.tileType, 0);
        ASSERT_LE(m.tileType, 1);
        ++counts[m.tileType];
        if (m.tileType == 0) {
            EXPECT_GE(q.re, 0.0);
            EXPECT_GE(q.im, 0.0);
            EXPECT_LE(q.re + q.im, m.squareHalfDiagonal + tol);
        } else {
            EXPECT_LE(OutsidePolygon(q, m.octagonCenter, m.octagonApothem, 8, 0.0), tol);
        }
    }
    for (int count : counts) EXPECT_GT(count, 3000);
}

// ---------------------------------------------------------------------------
// 3-12-12.

TEST(ThreeTwelveTwelve, ConstructionGivesTheLatticeOfSpacingOne)
{
    MapThreeTwelve m;
    EXPECT_EQ(m.thirdPi, 1.0471975511666667);
    EXPECT_EQ(m.twelfthPi, 0.2617993877916667);
    EXPECT_EQ(m.halfSpacing, 0.5);
    EXPECT_EQ(m.dodecagonCenter, Complex(0, 0));
    EXPECT_EQ(m.rightDodecagonCenter, Complex(1, 0));
    ExpectNear(m.topDodecagonCenter, 0.5, 0.8660254);
    ExpectNear(m.triangleCenter, 0.5, 0.2886751);
    ExpectNear(m.leftTriangleCenter, 0, 0.5773503);
    ExpectNear(m.rightTriangleCenter, 1, 0.5773503);
    ExpectNear(m.rotatePlusThird, 0.5, 0.8660254);
    ExpectNear(m.rotateMinusThird, 0.5, -0.8660254);
    EXPECT_NEAR(m.triangleInradius, 0.0773503, kNear);
    EXPECT_NEAR(m.triangleRadius, 0.1547005, kNear);
    EXPECT_NEAR(m.dodecagonRadius, 0.5176381, kNear);
    EXPECT_NEAR(m.edge, 0.2679492, kNear);
    EXPECT_NEAR(m.halfEdge, 0.1339746, kNear);
    const std::vector<double> stored{m.limitV,  m.limitT1, m.limitT0, m.limitU,  m.limitW,
                                     m.slopeK1, m.slopeK2, m.slopeK4, m.slopeK3};
    const std::vector<double> expected{0.7320508,  0.6339746, 0.3660254, 0.3660254, 0.8660254,
                                       -1.7320508, 1.7320508, 0.5773503, -0.5773503};
    for (std::size_t i = 0; i < stored.size(); ++i) EXPECT_NEAR(stored[i], expected[i], kNear) << "constant " << i;
}

TEST(ThreeTwelveTwelve, FoldsTheWorkedPoints)
{
    MapThreeTwelve m;
    const double h = m.topDodecagonCenter.im;
    ExpectFolds(m,
                {{{0.1, 0.05}, 1, 0.1, 0.05},
                 {{0.9, 0.05}, 1, 0.1, 0.05},
                 {{0.52, 0.3}, 0, 0.52, 0.3},
                 {{0.48, 0.3}, 0, 0.48, 0.3},
                 {{0.5, 0.3}, 1, 0.5, 0.3},
                 {{0.5, 0.8}, 1, 0.0, 0.0660254},
                 {{0.02, 0.6}, 0, 0.4903848, 0.3173205},
                 {{0.98, 0.6}, 0, 0.5096152, 0.3173205},
                 {{-0.1, -0.05}, 1, 0.1, 0.05},
                 {{2.1, 0.05 + 2 * h}, 1, 0.1, 0.05}},
                kNear);
    Complex p{0.02, 0.6};
    EXPECT_EQ(m.FoldToCell(p), m.foldResult);
}

TEST(ThreeTwelveTwelve, VerticalLineThroughTheTriangleBelongsToTheDodecagon)
{
    MapThreeTwelve m;
    Complex p = m.triangleCenter;
    m.FoldToCell(p);
    EXPECT_EQ(m.tileType, 1);
    p = {0.5 - std::ldexp(1.0, -52), m.triangleCenter.im};  // just left of the line, as the fold keeps it
    m.FoldToCell(p);
    EXPECT_EQ(m.tileType, 0);
}

TEST(ThreeTwelveTwelve, PointNoRowClaimsKeepsThePreviousTileType)
{
    MapThreeTwelve m;
    for (int previous : {0, 1}) {
        m.tileType = previous;
        Complex p{std::numeric_limits<double>::quiet_NaN(), 0.45};
        m.FoldToCell(p);
        EXPECT_EQ(m.tileType, previous);
    }
}

TEST(ThreeTwelveTwelve, CanonicalPointsLieInTheirCanonicalTile)
{
    MapThreeTwelve m;
    const double tol = 1e-6;
    int counts[2] = {0, 0};
    for (Complex in : RandomPoints(60000, 9)) {
        Complex p = in;
        Complex q = m.FoldToCell(p);
        ASSERT_GE(m.tileType, 0);
        ASSERT_LE(m.tileType, 1);
        ++counts[m.tileType];
        if (m.tileType == 0) {
            // Pointing down: edge normals up and at -30 and 210 degrees.
            EXPECT_LE(OutsidePolygon(q, m.triangleCenter, m.triangleInradius, 3, kPi / 2), tol);
        } else {
            EXPECT_GE(q.re, 0.0);
            EXPECT_GE(q.im, 0.0);
            EXPECT_LE(OutsidePolygon(q, m.dodecagonCenter, 0.5, 12, 0.0), tol);
        }
    }
    for (int count : counts) EXPECT_GT(count, 3000);
}

}  // namespace
}  // namespace tilvex

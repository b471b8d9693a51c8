#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "engine/QuiltControl.h"
#include "engine/TilvexApp.h"
#include "maps/WildCornerMap.h"
#include "studio/Accumulator.h"
#include "studio/LaneSteps.h"
#include "studio/Orbit.h"

namespace tilvex::studio {
namespace {

struct KindCase {
    const char* name;
    QuiltKind kind;
    int detailed, knot;
    double seed;              // one whose quilt is no short cycle
    std::uint64_t samples;    // enough for a nearly even quilt's pattern to stand out of the noise
};

const KindCase kKinds[] = {
    {"square", QuiltKind::Square, 0, 0, 5.0, 400000},
    {"square detailed", QuiltKind::Square, 1, 0, 7.0, 4000000},
    {"hex", QuiltKind::Hex, 0, 0, 7.0, 2000000},
    {"hex knot", QuiltKind::Hex, 0, 1, 7.0, 400000},
    {"hex detailed", QuiltKind::Hex, 1, 0, 7.0, 400000},
    {"4-6-12", QuiltKind::FourSixTwelve, 0, 0, 7.0, 400000},
    {"4-8-8", QuiltKind::FourEightEight, 0, 0, 7.0, 400000},
    {"3-12-12", QuiltKind::ThreeTwelveTwelve, 0, 0, 7.0, 400000},
    {"wild corner", QuiltKind::WildCorner, 0, 0, 7.0, 400000},
};

std::optional<DensityBuffer> Accumulate(const QuiltSnapshot& quilt, int resolution, std::uint64_t samples,
                                        SimdPath path, Precision precision = Precision::Exact, int chunks = 64)
{
    RenderSettings renderSpec;
    renderSpec.simd = path;
    renderSpec.precision = precision;
    renderSpec.chunks = chunks;
    Accumulator accumulator(std::make_shared<QuiltSnapshot>(quilt), resolution, renderSpec);
    if (!accumulator.Run(samples, 0)) return std::nullopt;
    return accumulator.Density().Clone();
}

// The exact map's own orbits (the generation loop's step), counted as the studio counts.
DensityBuffer AccumulateExactMap(const QuiltSnapshot& quilt, int resolution, std::uint64_t samples)
{
    DensityBuffer buffer(resolution);
    std::mt19937_64 random(1);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    constexpr int kOrbits = 64;
    for (int o = 0; o < kOrbits; ++o) {
        Orbit orbit(quilt, unit(random), unit(random));
        for (int i = 0; i < kWarmUpSteps; ++i) orbit.Step();
        for (std::uint64_t i = 0; i < samples / kOrbits; ++i) {
            orbit.Step();
            buffer.Add(buffer.Locate(orbit.plotX, orbit.plotY));
        }
    }
    return buffer;
}

// The same quilt whichever tests ran before.
QuiltSnapshot MakeQuilt(const KindCase& k)
{
    CTilvexApp app(k.seed);
    EXPECT_TRUE(app.InitInstance(1ull << 32));
    NewQuiltRequest request;
    request.kind = k.kind;
    request.detailed = k.detailed;
    request.knot = k.knot;
    NewQuilt(app, request);
    for (int i = 0; i < 5000; ++i) app.OnIdle();  // the quilt as a user would export it
    return *app.TakeSnapshot();
}

LaneParams ParamsOf(const QuiltSnapshot& q)
{
    return MakeLaneParams(q.kind, q.detail.hexKnot, q.maps.square, q.maps.hex, q.maps.fourSixTwelve,
                          q.maps.fourEightEight, q.maps.threeTwelveTwelve, q.maps.wildCorner);
}


// Units of 2^-52, the spacing of doubles just below 1: positions live in the unit square.
double UnitUlps(double a, double b) { return std::fabs(a - b) * 0x1.0p52; }

// A lane's step does the scalar step's operations in its order; only the vector
// library's sines and arctangents may round differently (within 1 ulp), and
// the orbits' chaos then widens that gap step by step (by up to about 12 times
// a step for the detailed square): a few ulp at the first step, at most 32
// times more each step after.
class StudioLanes : public ::testing::TestWithParam<SimdPath> {
protected:
    void SetUp() override
    {
        if (!SimdSupported(GetParam())) GTEST_SKIP() << "this processor lacks " << SimdPathName(GetParam());
    }
};

TEST_P(StudioLanes, VectorLanesFollowTheirScalarOrbitsForTheFirstSteps)
{
    constexpr int kSteps = 6;
    const SimdPath path = GetParam();
    {
        const int lanes = kLanes;
        for (const KindCase& k : kKinds) {
            const QuiltSnapshot quilt = MakeQuilt(k);
            const LaneParams params = ParamsOf(quilt);
            LaneState state;
            std::vector<Orbit> orbits;
            for (int l = 0; l < lanes; ++l) {
                const double u = 0.09 + 0.11 * l, v = 0.83 - 0.097 * l;
                orbits.emplace_back(quilt, u, v);
                StartLane(params, quilt.maps.hex, state, l, u, v);
            }
            alignas(64) double x[kSteps * kLanes], y[kSteps * kLanes];
            StepLanes(path, Precision::Exact, params, state, kSteps, {x, y});
            for (int s = 0; s < kSteps; ++s) {
                double worst = 0;
                for (int l = 0; l < lanes; ++l) {
                    orbits[l].Step();
                    ASSERT_TRUE(std::isfinite(orbits[l].plotX) && std::isfinite(orbits[l].plotY)) << k.name;
                    worst = std::max({worst, UnitUlps(x[s * lanes + l], orbits[l].plotX),
                                      UnitUlps(y[s * lanes + l], orbits[l].plotY)});
                }
                EXPECT_LE(worst, 8 * std::pow(32.0, s)) << k.name << " step " << s + 1;
            }
        }
    }
}

std::vector<double> Blocks(const DensityBuffer& b, int res)
{
    const int step = b.Resolution() / res;
    std::vector<double> cells(static_cast<std::size_t>(res) * res, 0.0);
    for (int y = 0; y < b.Resolution(); ++y)
        for (int x = 0; x < b.Resolution(); ++x)
            cells[static_cast<std::size_t>(y / step) * res + x / step] += b.At(x, y) / double(DensityBuffer::kOneVisit);
    return cells;
}

double Correlation(const std::vector<double>& a, const std::vector<double>& b)
{
    double ma = 0, mb = 0;
    for (std::size_t i = 0; i < a.size(); ++i) ma += a[i], mb += b[i];
    ma /= a.size(), mb /= b.size();
    double sab = 0, saa = 0, sbb = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        sab += (a[i] - ma) * (b[i] - mb);
        saa += (a[i] - ma) * (a[i] - ma);
        sbb += (b[i] - mb) * (b[i] - mb);
    }
    return sab / std::sqrt(saa * sbb);
}

// The finest grid, down to 4 x 4 cells, on which every filled cell (one with
// at least 1% of the average visits) holds 10000 visits: neighbouring samples
// of one orbit are not independent, and a nearly even quilt needs little
// noise for its pattern to show in a correlation.
int FilledResolution(const DensityBuffer& b)
{
    int res = b.Resolution();
    for (; res > 4; res /= 2) {
        const std::vector<double> cells = Blocks(b, res);
        double total = 0, least = 1e300;
        for (double c : cells) total += c;
        for (double c : cells)
            if (c >= 0.01 * total / cells.size()) least = std::min(least, c);
        if (least >= 10000) break;
    }
    return res;
}

// The lanes draw the exact map's quilt, and so does the fast precision.
TEST(StudioPrecision, LanesAndTheFastPrecisionDrawTheExactMapsQuilt)
{
    for (const KindCase& k : kKinds) {
        const QuiltSnapshot quilt = MakeQuilt(k);
        const DensityBuffer map = AccumulateExactMap(quilt, 64, k.samples);
        const int res = FilledResolution(map);
        const auto exact = Accumulate(quilt, 64, k.samples, SimdPath::Auto);
        const auto fast = Accumulate(quilt, 64, k.samples, SimdPath::Auto, Precision::Fast);
        ASSERT_TRUE(exact && fast);
        EXPECT_GT(Correlation(Blocks(map, res), Blocks(*exact, res)), 0.98) << k.name << " at " << res << " cells a side";
        EXPECT_GT(Correlation(Blocks(*exact, res), Blocks(*fast, res)), 0.98) << k.name << " at " << res << " cells a side";
    }
}

// The fast Wild Corner step takes each row's sines from two phases: one step
// of it lands where the exact sum of sines does, to rounding, for every N and
// depth a quilt can have.
TEST(StudioPrecision, FastWildCornerSumsTheSameWaves)
{
    RandomSource random;
    random.Seed(3.0);
    WildCornerMap map(random);
    for (int n = 3; n <= 42; ++n)
        for (int depth : {0, 1, 7, 12}) {
            map.Randomize(n, depth, random);
            const LaneParams params = MakeLaneParams(QuiltKind::WildCorner, 0, {}, {}, {}, {}, {}, map);
            ASSERT_TRUE(params.corner.lattice) << n;
            LaneState exact, fast;
            for (int l = 0; l < kLanes; ++l) {
                StartLane(params, {}, exact, l, 0.05 + 0.11 * l, 0.93 - 0.1 * l);
                fast.re[l] = exact.re[l], fast.im[l] = exact.im[l];
            }
            StepLanes(SimdPath::Scalar, Precision::Exact, params, exact, 1);
            StepLanes(SimdPath::Scalar, Precision::Fast, params, fast, 1);
            for (int l = 0; l < kLanes; ++l) {
                EXPECT_NEAR(fast.re[l], exact.re[l], 1e-12) << "N " << n << " depth " << depth;
                EXPECT_NEAR(fast.im[l], exact.im[l], 1e-12) << "N " << n << " depth " << depth;
            }
        }
}

// SLEEF's deterministic functions and one batch width: every path counts the
// scalar path's visits, in either precision.
TEST_P(StudioLanes, EveryPathCountsTheScalarPathsVisits)
{
    for (const KindCase& k : kKinds) {
        const QuiltSnapshot quilt = MakeQuilt(k);
        for (Precision precision : {Precision::Exact, Precision::Fast}) {
            const auto scalar = Accumulate(quilt, 64, 100000, SimdPath::Scalar, precision, 4);
            const auto path = Accumulate(quilt, 64, 100000, GetParam(), precision, 4);
            ASSERT_TRUE(scalar && path);
            EXPECT_TRUE(std::ranges::equal(scalar->Cells(), path->Cells())) << k.name << " " << PrecisionName(precision);
        }
    }
}

// The lanes' visits land in Locate's cells with Locate's weights, wherever the
// position: cell edges and centres, the tile's edges, far outside, escaped.
TEST_P(StudioLanes, VisitsLandWhereLocatePutsThem)
{
    std::mt19937_64 random(5);
    std::uniform_real_distribution<double> wide(-3.0, 4.0);
    for (int res : {8, 37, 1000, 4096}) {
        std::vector<double> values = {0.0, -0.0, 1.0, std::nextafter(1.0, 0.0), 0.5, -1e9, 3e8,
                                      std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()};
        for (int k : {-res - 1, -1, 0, 1, res / 2, res - 1, res, res + 1, 3 * res})
            for (double offset : {0.0, 0.5, 0.5 + 1.0 / 32, 0.5 - 1.0 / 32})
                values.push_back((k + offset) / res);
        for (int i = 0; i < 40; ++i) values.push_back(wide(random));
        const DensityBuffer buffer(res);
        std::vector<double> us, vs;
        for (double u : values)
            for (double v : values) us.push_back(u), vs.push_back(v);
        alignas(64) double u[kLanes], v[kLanes];
        alignas(64) std::uint64_t visits[kLanes];
        for (std::size_t i = 0; i + kLanes <= us.size(); i += kLanes) {
            std::copy_n(us.begin() + i, kLanes, u);
            std::copy_n(vs.begin() + i, kLanes, v);
            LocateLanes(GetParam(), res, u, v, visits);
            for (int l = 0; l < kLanes; ++l) {
                const DensityBuffer::Footprint want = buffer.Locate(u[l], v[l]);
                const DensityBuffer::Footprint got = buffer.Unpack(visits[l] & DensityBuffer::kNoVisit);
                for (int c = 0; c < 4; ++c)
                    if (want.weight[c] != 0 || got.weight[c] != 0) {
                        ASSERT_EQ(got.cell[c], want.cell[c]) << res << " at " << u[l] << ", " << v[l];
                        ASSERT_EQ(got.weight[c], want.weight[c]) << res << " at " << u[l] << ", " << v[l];
                    }
            }
        }
    }
}

// A step's colour is the same on every path, and its direction is atan2's
// within an entry of the map, the shorter way across the torus's edges; a
// lane's first step and an escaped one have no direction (mid-map).
TEST_P(StudioLanes, StepsAreColouredAlikeOnEveryPathAsAtan2Says)
{
    constexpr int kSteps = 64;
    std::mt19937_64 random(11);
    std::uniform_real_distribution<double> unit(-0.2, 1.2);
    alignas(64) double x[kSteps * kLanes], y[kSteps * kLanes];
    for (int i = 0; i < kSteps * kLanes; ++i) x[i] = unit(random), y[i] = unit(random);
    x[5 * kLanes + 3] = std::numeric_limits<double>::quiet_NaN();
    y[9 * kLanes + 2] = std::numeric_limits<double>::infinity();
    x[7 * kLanes + 1] = x[6 * kLanes + 1];  // no step at all
    y[7 * kLanes + 1] = y[6 * kLanes + 1];
    for (ColorBy by : {ColorBy::Direction, ColorBy::Speed, ColorBy::Blend}) {
        LaneTrail trail, reference;
        alignas(64) std::uint64_t got[kSteps * kLanes], want[kSteps * kLanes];
        // In two calls: the trail carries on between them.
        ColourLanes(GetParam(), by, trail, x, y, kSteps / 2, got);
        ColourLanes(GetParam(), by, trail, x + kSteps / 2 * kLanes, y + kSteps / 2 * kLanes, kSteps / 2,
                    got + kSteps / 2 * kLanes);
        ColourLanes(SimdPath::Scalar, by, reference, x, y, kSteps, want);
        for (int i = 0; i < kSteps * kLanes; ++i) {
            ASSERT_EQ(got[i] & 0xFF, want[i] & 0xFF) << static_cast<int>(by) << " sample " << i;
            if (by != ColorBy::Direction) continue;
            const double dx = i < kLanes ? NAN : x[i] - x[i - kLanes], dy = i < kLanes ? NAN : y[i] - y[i - kLanes];
            double turn = 0.5;
            if (std::isfinite(dx) && std::isfinite(dy) && (dx != 0.0 || dy != 0.0))
                turn = (std::atan2(dy - std::nearbyint(dy), dx - std::nearbyint(dx)) + M_PI) / (2 * M_PI);
            const int entry = static_cast<int>(got[i] & 0xFF), expected = static_cast<int>(std::lround(turn * 255));
            const int off = std::abs(entry - expected);
            ASSERT_LE(std::min(off, 255 - off), 1) << "sample " << i << ": " << dx << ", " << dy;
        }
    }
}

// The lanes fold without dividing; the maps fold with fmod and divisions. On
// every tile's edges and corners, along slanted edges, and moved by whole
// periods (up to far beyond where the reciprocal's quotient holds) they agree
// bit for bit, tile types included.
TEST_P(StudioLanes, FoldsWithoutDivisionsAgreeWithTheMapsFoldsOnEveryEdge)
{
    for (const KindCase& k : {kKinds[5], kKinds[6], kKinds[7]}) {
        const QuiltSnapshot quilt = MakeQuilt(k);
        const LaneParams params = ParamsOf(quilt);
        const LaneParams::Tiling& t = params.tiling;
        std::vector<double> xs = {0.0, t.cellWidth, 0.5}, ys = {0.0, t.cellHeight, 0.5}, slopes;
        const auto both = [&](std::initializer_list<double> c) { xs.insert(xs.end(), c), ys.insert(ys.end(), c); };
        const auto point = [&](const double (&c)[2]) { xs.push_back(c[0]), ys.push_back(c[1]); };
        if (quilt.kind == QuiltKind::FourEightEight) {
            const auto& f = t.fe;
            both({f.l, f.bandLimit, f.bandLimitY, f.bandLimitCorner});
            point(f.rightSquare), point(f.topLeftSquare), point(f.topRightSquare);
            slopes = {f.lowerSlope, f.upperSlope};
        } else if (quilt.kind == QuiltKind::ThreeTwelveTwelve) {
            const auto& f = t.tt;
            both({f.s, f.t0, f.t1, f.u, f.w, f.v});
            point(f.top), point(f.right), point(f.triangle), point(f.leftTriangle), point(f.rightTriangle);
            slopes = {f.k1, f.k2, f.k3, f.k4};
        } else {
            const auto& f = t.sft;
            both({f.a, f.a2, f.twoA, f.b, f.bMinusA, f.cPlusA, f.twoCPlusA, f.bPlusC, f.twoCPlusB});
            point(f.hexCenter), point(f.upperHexCenter), point(f.slantCenter), point(f.upperSquareCenter);
            point(f.dodecagonCenter), point(f.upperDodecagonCenter);
        }
        std::vector<Complex> corners, points;
        for (double x : xs)
            for (double y : ys) corners.push_back({x, y});
        points = corners;
        for (const Complex& a : corners) {
            for (const Complex& b : corners)
                for (double s : {0.25, 0.5}) points.push_back(a + (b - a) * s);
            for (double slope : slopes)
                for (double d : {-0.2, -0.05, 0.05, 0.2}) points.push_back(a + Complex(d, slope * d));
        }
        const double px = 2 * t.cellWidth, py = 2 * t.cellHeight;
        const int periods[][2] = {{0, 0}, {1, -1}, {-3, 2}, {1000, -999}, {1 << 20, 3}, {-(1 << 30), 1 << 30}};
        const double far = 0x1.0p45;
        std::vector<Complex> moved;
        for (const Complex& p : points) {
            for (const auto& n : periods) moved.push_back(p + Complex(n[0] * px, n[1] * py));
            moved.push_back(Complex(0, 0) - p);
            moved.push_back(p + Complex(far * px, -far * py));
        }
        for (std::size_t i = 0; i + kLanes <= moved.size(); i += kLanes) {
            for (int type = 0; type < t.tileTypes; ++type) {
                QuiltMaps maps = quilt.maps;
                LaneState lanes;
                for (int l = 0; l < kLanes; ++l) lanes.re[l] = moved[i + l].re, lanes.im[l] = moved[i + l].im, lanes.tile[l] = type;
                FoldLanes(GetParam(), params, lanes);
                for (int l = 0; l < kLanes; ++l) {
                    Complex p = moved[i + l], folded;
                    int tile = type;
                    const auto fold = [&](auto& map) {
                        map.tileType = type;
                        folded = map.FoldToCell(p);
                        tile = map.tileType;
                    };
                    if (quilt.kind == QuiltKind::FourEightEight) fold(maps.fourEightEight);
                    if (quilt.kind == QuiltKind::ThreeTwelveTwelve) fold(maps.threeTwelveTwelve);
                    if (quilt.kind == QuiltKind::FourSixTwelve) fold(maps.fourSixTwelve);
                    ASSERT_EQ(lanes.re[l], folded.re) << k.name << " at " << moved[i + l].re << ", " << moved[i + l].im;
                    ASSERT_EQ(lanes.im[l], folded.im) << k.name << " at " << moved[i + l].re << ", " << moved[i + l].im;
                    ASSERT_EQ(lanes.tile[l], tile) << k.name << " at " << moved[i + l].re << ", " << moved[i + l].im;
                }
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Paths, StudioLanes, ::testing::Values(SimdPath::Scalar, SimdPath::Avx2, SimdPath::Avx512),
                         [](const auto& info) { return std::string(SimdPathName(info.param)); });

}  // namespace
}  // namespace tilvex::studio

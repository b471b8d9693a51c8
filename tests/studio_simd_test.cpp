#include <gtest/gtest.h>

#include <cmath>

#include "engine/QuiltControl.h"
#include "engine/TilvexApp.h"
#include "studio/LaneSteps.h"
#include "studio/Orbit.h"
#include "studio/Accumulator.h"

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
                                        SimdPath path)
{
    RenderSpec renderSpec;
    renderSpec.simd = path;
    Accumulator accumulator(std::make_shared<QuiltSnapshot>(quilt), resolution, renderSpec);
    if (!accumulator.Run(samples, 0)) return std::nullopt;
    return accumulator.Density().Clone();
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
        const int lanes = SimdLanes(path);
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
            alignas(64) double x[kSteps * kMaxLanes], y[kSteps * kMaxLanes];
            StepLanes(path, params, state, kSteps, x, y);
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

TEST_P(StudioLanes, VectorAndScalarPathsDrawTheSameQuilt)
{
    const SimdPath path = GetParam();
    static std::optional<DensityBuffer> scalars[std::size(kKinds)];  // shared by the paths
    for (std::size_t i = 0; i < std::size(kKinds); ++i) {
        const KindCase& k = kKinds[i];
        const QuiltSnapshot quilt = MakeQuilt(k);
        std::optional<DensityBuffer>& scalar = scalars[i];
        if (!scalar) scalar = Accumulate(quilt, 64, k.samples, SimdPath::Scalar);
        ASSERT_TRUE(scalar);
        const int res = FilledResolution(*scalar);
        auto vector = Accumulate(quilt, 64, k.samples, path);
        ASSERT_TRUE(vector);
        const double r = Correlation(Blocks(*scalar, res), Blocks(*vector, res));
        EXPECT_GT(r, 0.98) << k.name << " at " << res << " cells a side";
    }
}

INSTANTIATE_TEST_SUITE_P(Paths, StudioLanes, ::testing::Values(SimdPath::Avx2, SimdPath::Avx512),
                         [](const auto& info) { return std::string(SimdPathName(info.param)); });

}  // namespace
}  // namespace tilvex::studio

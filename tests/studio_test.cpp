#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <thread>

#include "engine/QuiltControl.h"
#include "engine/TilvexApp.h"
#include "studio/Accumulator.h"
#include "studio/ColorMap.h"
#include "studio/ColourSums.h"
#include "studio/Develop.h"
#include "studio/TileFolder.h"
#include "studio/TileGeometry.h"
#include "studio/ToneMap.h"
#include "studio/VisitBins.h"

namespace tilvex::studio {
namespace {

struct KindCase {
    const char* name;
    QuiltKind kind;
    int knot;
};

const KindCase kKinds[] = {
    {"square", QuiltKind::Square, 0},          {"hex", QuiltKind::Hex, 0},
    {"hex knot", QuiltKind::Hex, 1},           {"4-6-12", QuiltKind::FourSixTwelve, 0},
    {"4-8-8", QuiltKind::FourEightEight, 0},   {"3-12-12", QuiltKind::ThreeTwelveTwelve, 0},
    {"wild corner", QuiltKind::WildCorner, 0},
};

// A fresh quilt of the case's kind, set up as the command line does.
std::shared_ptr<const QuiltSnapshot> MakeQuilt(const KindCase& k, CTilvexApp& app)
{
    EXPECT_TRUE(app.InitInstance(1ull << 32));
    NewQuiltRequest request;
    request.kind = k.kind;
    request.knot = k.knot;
    NewQuilt(app, request);
    return app.TakeSnapshot();
}

std::optional<DensityBuffer> Accumulate(std::shared_ptr<const QuiltSnapshot> quilt, int resolution,
                                        std::uint64_t samples, std::uint64_t seed, int threads, SimdPath path)
{
    RenderSettings renderSpec;
    renderSpec.seed = seed;
    renderSpec.simd = path;
    Accumulator accumulator(std::move(quilt), resolution, renderSpec);
    if (!accumulator.Run(samples, threads)) return std::nullopt;
    return accumulator.Density().Clone();
}

std::vector<std::uint32_t> CellsOf(const DensityBuffer& b) { return {b.Cells().begin(), b.Cells().end()}; }

TEST(StudioPixelRule, FractionalFoldLandsInTheExactImagesCellForEveryKind)
{
    for (const KindCase& k : kKinds) {
        CTilvexApp app(5.0);
        const auto snapshot = MakeQuilt(k, app);
        const QuiltSnapshot& quilt = *snapshot;
        TileFolder folder(quilt);
        const bool squareLattice = quilt.kind == QuiltKind::Square || quilt.kind == QuiltKind::WildCorner;
        int compared = 0;
        for (int y = 0; y < quilt.tile.height; y += 7) {
            for (int x = 0; x < quilt.tile.width; x += 5) {
                std::optional<GridCell> cell = app.CellForPixel(x, y);
                if (squareLattice) {
                    const int n = quilt.tile.width / 2;
                    cell = GridCell{x >= n ? x - n : n - 1 - x, y < n ? y : 2 * n - 1 - y};
                }
                if (!cell) continue;
                // The square lattice mirrors whole pixels, so its cells are read at the pixels' centres.
                double offset = squareLattice ? 0.5 : 0.0;
                Complex u = folder.UnitPosition(x + offset, y + offset);
                int cx =
                    std::min(static_cast<int>(std::floor(u.re * quilt.geometry.gridScale)), app.geometry.gridSize - 1);
                int cy =
                    std::min(static_cast<int>(std::floor(u.im * quilt.geometry.gridScale)), app.geometry.gridSize - 1);
                ASSERT_EQ(cx, cell->x) << k.name << " at " << x << "," << y;
                ASSERT_EQ(cy, cell->y) << k.name << " at " << x << "," << y;
                ++compared;
            }
        }
        EXPECT_GT(compared, 500) << k.name;
    }
}

TEST(StudioAccumulation, SameBufferForAnyThreadCountOnEveryPathAndSeedMatters)
{
    CTilvexApp app(7.0);
    auto quilt = MakeQuilt(kKinds[1], app);
    for (SimdPath path : {SimdPath::Scalar, SimdPath::Avx2, SimdPath::Avx512}) {
        if (!SimdSupported(path)) continue;
        auto one = Accumulate(quilt, 64, 200000, 3, 1, path);
        auto two = Accumulate(quilt, 64, 200000, 3, 2, path);
        auto other = Accumulate(quilt, 64, 200000, 4, 2, path);
        ASSERT_TRUE(one && two && other);
        EXPECT_EQ(CellsOf(*one), CellsOf(*two)) << SimdPathName(path);
        EXPECT_NE(CellsOf(*one), CellsOf(*other)) << SimdPathName(path);
        std::uint64_t total = 0;
        for (std::uint32_t c : one->Cells()) total += c;
        EXPECT_EQ(total, 200000ull * DensityBuffer::kOneVisit) << SimdPathName(path);  // every sample lands whole
    }
}

// A progressive render adds passes; its picture must not depend on where the
// passes ended: not mid-step of a lane batch, not mid-slice of a chunk's
// escape checks, not on a pass cut short by a stop.
TEST(StudioAccumulation, PassesAddUpToOneRunOfTheirTotal)
{
    CTilvexApp app(7.0);
    auto quilt = MakeQuilt(kKinds[0], app);
    const std::uint64_t total = 64 * 150001 + 37;  // several slices a chunk, none whole
    for (SimdPath path : {SimdPath::Scalar, SimdPath::Avx2, SimdPath::Avx512}) {
        if (!SimdSupported(path)) continue;
        RenderSettings renderSpec;
        renderSpec.simd = path;
        const auto whole = Accumulate(quilt, 64, total, 0, 2, path);
        Accumulator passes(quilt, 64, renderSpec);
        ASSERT_TRUE(passes.Run(total / 2, 2));
        ASSERT_TRUE(passes.Run(12345, 1));
        std::stop_source stop;
        int reports = 0;
        EXPECT_FALSE(passes.Run(total - total / 2 - 12345, 2, stop.get_token(), [&](double) {
            if (++reports == 3) stop.request_stop();
        }));
        EXPECT_LT(passes.Samples(), total);
        ASSERT_TRUE(passes.Run(0, 2));  // what the stopped pass still owes
        EXPECT_EQ(passes.Samples(), total);
        EXPECT_EQ(CellsOf(passes.Density()), CellsOf(*whole)) << SimdPathName(path);
    }
}

// Work spread over processes: each takes a share of the chunks, and the
// shares' densities merged slice by slice are the whole render's, however split.
TEST(StudioAccumulation, SharesOfTheChunksMergeIntoOneRun)
{
    CTilvexApp app(7.0);
    auto quilt = MakeQuilt(kKinds[3], app);
    const std::uint64_t total = 64 * 20001 + 5;
    const auto whole = Accumulate(quilt, 48, total, 0, 2, SimdPath::Auto);
    for (const std::vector<int>& bounds : {std::vector<int>{0, 22, 43, 64}, std::vector<int>{0, 1, 64, 64}}) {
        Accumulator merged(quilt, 48, RenderSettings{});
        merged.TakeShare(bounds[0], bounds[1] - bounds[0]);
        ASSERT_TRUE(merged.Run(total, 2));
        for (std::size_t s = 1; s + 1 < bounds.size(); ++s) {
            Accumulator share(quilt, 48, RenderSettings{});
            share.TakeShare(bounds[s], bounds[s + 1] - bounds[s]);
            ASSERT_TRUE(share.Run(total, 1));
            const auto cells = share.Density().Cells();
            for (std::size_t first = 0; first < cells.size(); first += 1000)
                merged.MergeCells(first, cells.subspan(first, std::min<std::size_t>(1000, cells.size() - first)));
        }
        EXPECT_EQ(CellsOf(merged.Density()), CellsOf(*whole)) << bounds[1];
    }
}

// Visits gathered in bins by band, by two workers at once on two threads, and
// added bin by bin give the buffer that adding each at once gives: wrapping
// rows and columns included, for one band and for many. The colours they carry
// reach the shared colour sums as adding each at once would, also where a band
// would otherwise hold fewer rows than a colour cell (3001), and leave the density alone.
TEST(StudioAccumulation, BinnedVisitsAddUpToDirectAdds)
{
    std::mt19937_64 random(3);
    std::uniform_real_distribution<double> unit(-0.01, 1.01);
    const ColorMap map = *ColorMap::Named("viridis", {});
    for (int res : {8, 300, 2048, 2100, 3001}) {
        DensityBuffer direct(res), binned(res);
        ColourSums directColours(res), sharedColours(res);
        std::vector<std::uint64_t> worker[2];
        alignas(64) double u[kLanes], v[kLanes];
        alignas(64) std::uint64_t visits[kLanes];
        for (int i = 0; i < 200000; ++i) {
            for (int l = 0; l < kLanes; ++l) u[l] = unit(random), v[l] = unit(random);
            u[0] = std::numeric_limits<double>::quiet_NaN();  // escaped: adds nothing
            LocateLanes(SimdPath::Auto, res, u, v, visits);
            for (int l = 0; l < kLanes; ++l) {
                const std::uint64_t visit = (visits[l] & DensityBuffer::kNoVisit) |
                                            (random() & 0xFF) << DensityBuffer::kVisitEntryShift;
                worker[l % 2].push_back(visit);
                direct.Add(direct.Unpack(visit));
                directColours.AddVisit(visit, map);
            }
        }
        const VisitBands bands(binned);
        // The locks cover the shared colour sums only if a band holds a colour cell's rows.
        EXPECT_TRUE(bands.Count() == 1 || bands.Shift() - DensityBuffer::kVisitRowShift >= ColourSums::kMostRowsShift);
        {
            std::jthread threads[2];
            for (int w = 0; w < 2; ++w)
                threads[w] = std::jthread([&, w] {
                    VisitBins bins(bands, &sharedColours, &map);
                    for (std::uint64_t visit : worker[w]) bins.Add(visit);
                });
        }
        EXPECT_EQ(CellsOf(binned), CellsOf(direct)) << res << " cells a side, " << bands.Count() << " bands";
        EXPECT_TRUE(std::ranges::equal(sharedColours.Sums(), directColours.Sums())) << res << " cells a side";
    }
}

TEST(StudioAccumulation, CancelStopsTheRender)
{
    CTilvexApp app(7.0);
    auto quilt = MakeQuilt(kKinds[0], app);
    Accumulator accumulator(quilt, 32, RenderSettings{});
    std::stop_source stop;
    int calls = 0;
    EXPECT_FALSE(accumulator.Run(10000000, 2, stop.get_token(), [&](double) {
        if (++calls == 3) stop.request_stop();
    }));
    EXPECT_LT(calls, 10);
}

TEST(StudioPicture, TiledTileHasNoSeamForEveryKind)
{
    for (const KindCase& k : kKinds) {
        CTilvexApp app(9.0);
        auto quilt = MakeQuilt(k, app);
        const int w = 96, h = StudioTileHeight(*quilt, w);
        auto buffer = Accumulate(quilt, StudioResolution(*quilt, w), 400000, 0, 2, SimdPath::Auto);
        ASSERT_TRUE(buffer);
        const DensityField field = *EstimateDensity(*buffer, nullptr, DenoiseSettings{.on = false}, 2);
        std::vector<float> d = FoldTile(*quilt, field, false, w, h, 1, 2)->densities;
        auto at = [&](int x, int y) { return static_cast<double>(d[static_cast<std::size_t>(y) * w + x]); };
        // Largest step between horizontal and vertical neighbours inside the tile,
        // against the steps across the right and top edges into the next tile.
        double interior = 0, seam = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x + 1 < w; ++x) interior = std::max(interior, std::fabs(at(x + 1, y) - at(x, y)));
        for (int x = 0; x < w; ++x)
            for (int y = 0; y + 1 < h; ++y) interior = std::max(interior, std::fabs(at(x, y + 1) - at(x, y)));
        for (int y = 0; y < h; ++y) seam = std::max(seam, std::fabs(at(0, y) - at(w - 1, y)));
        for (int x = 0; x < w; ++x) seam = std::max(seam, std::fabs(at(x, 0) - at(x, h - 1)));
        EXPECT_GT(interior, 0.0) << k.name;
        EXPECT_LE(seam, interior) << k.name;
    }
}

TEST(StudioTone, EndpointsGammaAndEqualisation)
{
    std::vector<float> densities = {0.0f, 1.0f, 10.0f, 100.0f, 1000.0f};
    // A fixed exposure of 0 stops: white at the densest pixel.
    ToneMap plain(densities, {.exposure = 0.0});
    EXPECT_EQ(plain(0.0), 0.0);
    EXPECT_DOUBLE_EQ(plain(1000.0), 1.0);
    EXPECT_LT(plain(10.0), plain(100.0));
    // The faintest filled pixel sets the black point (to within its histogram bin).
    EXPECT_EQ(plain(1.0), 0.0);
    const double logOne = std::log1p(1.0);
    EXPECT_NEAR(plain(100.0), std::pow((std::log1p(100.0) - logOne) / (std::log1p(1000.0) - logOne), 1 / 2.2), 1e-2);

    ToneMap equalised(densities, {.gamma = 1.0, .equalize = true, .exposure = 0.0});
    EXPECT_EQ(equalised(0.0), 0.0);
    EXPECT_NEAR(equalised(1000.0), 1.0, 1e-6);
    // One of the four filled pixels lies below 10, two at or below it.
    EXPECT_GT(equalised(10.0), 0.25);
    EXPECT_LE(equalised(10.0), 0.5);
}

TEST(StudioColour, MapEndpointsGradientsAndRefusals)
{
    Palette palette{};
    palette[0] = {1, 2, 3, 0};
    palette[255] = {250, 251, 252, 0};
    auto gray = ColorMap::Named("gray", palette);
    ASSERT_TRUE(gray);
    EXPECT_EQ(gray->At(0.0), (Rgb8{0, 0, 0}));
    EXPECT_EQ(gray->At(1.0), (Rgb8{255, 255, 255}));
    EXPECT_EQ(ColorMap::Named("viridis", palette)->At(0.0), (Rgb8{0x44, 0x01, 0x54}));
    EXPECT_EQ(ColorMap::Named("viridis", palette)->At(1.0), (Rgb8{0xfd, 0xe7, 0x25}));
    EXPECT_EQ(ColorMap::Named("quilt", palette)->At(1.0), (Rgb8{250, 251, 252}));
    for (const std::string& name : ColorMap::Names()) EXPECT_TRUE(ColorMap::Named(name, palette)) << name;
    EXPECT_FALSE(ColorMap::Named("jet", palette));

    std::string error;
    auto ramp = ColorMap::Gradient(ParseGradient("#000000,#ff0000,#ffffff", error));
    EXPECT_EQ(ramp.At(0.0), (Rgb8{0, 0, 0}));
    EXPECT_EQ(ramp.At(0.5).r, 255);
    EXPECT_EQ(ramp.At(1.0), (Rgb8{255, 255, 255}));
    EXPECT_TRUE(ParseGradient("#000000", error).empty());
    EXPECT_TRUE(ParseGradient("#000000,#12345G", error).empty());
    EXPECT_NE(error.find("#12345G"), std::string::npos);
}

}  // namespace
}  // namespace tilvex::studio

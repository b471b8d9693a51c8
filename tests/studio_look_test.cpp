#include <gtest/gtest.h>

#include <unistd.h>

#include <OpenEXR/ImfRgbaFile.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <thread>

#include <nlohmann/json.hpp>

#include "engine/QuiltControl.h"
#include "engine/RenderJob.h"
#include "engine/TilvexApp.h"
#include "studio/CellSymmetry.h"
#include "studio/Develop.h"
#include "studio/FlatField.h"
#include "studio/PatchFilter.h"
#include "studio/PictureExr.h"
#include "studio/PictureNote.h"
#include "studio/TileFolder.h"
#include "studio/TileGeometry.h"

namespace tilvex::studio {
namespace {

const QuiltKind kKinds[] = {QuiltKind::Square,         QuiltKind::Hex,
                            QuiltKind::FourSixTwelve,  QuiltKind::FourEightEight,
                            QuiltKind::ThreeTwelveTwelve, QuiltKind::WildCorner};

std::shared_ptr<const QuiltSnapshot> MakeQuilt(QuiltKind kind, CTilvexApp& app, int steps = 0)
{
    EXPECT_TRUE(app.InitInstance(1ull << 32));
    NewQuiltRequest request;
    request.kind = kind;
    NewQuilt(app, request);
    if (steps) RunSteps(app, steps);
    return app.TakeSnapshot();
}

// Callers asking for one field at once share it, and one told to stop while
// it makes the field leaves it to the others, which then make it themselves.
// A draft takes it only once it is made.
TEST(StudioFlatField, CallersAtOnceShareOneFieldWhoeverIsStopped)
{
    CTilvexApp app(5.0);
    const auto quilt = MakeQuilt(QuiltKind::Hex, app);
    for (int resolution : {61, 63}) {
        EXPECT_EQ(FlatFieldIfMade(*quilt, resolution), nullptr);  // a draft does not wait for it
        std::stop_source first;
        std::shared_ptr<const FlatField> stopped, second, third;
        {
            // The pauses only make it likely that the first is making the
            // field when the others ask and when it is stopped; any order must pass.
            std::jthread a([&] { stopped = FlatFieldFor(*quilt, resolution, 1, first.get_token()); });
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
            std::jthread b([&] { second = FlatFieldFor(*quilt, resolution, 1); });
            std::jthread c([&] { third = FlatFieldFor(*quilt, resolution, 1); });
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
            first.request_stop();
        }
        ASSERT_NE(second, nullptr) << resolution;
        EXPECT_EQ(second, third);
        EXPECT_EQ(second, FlatFieldFor(*quilt, resolution, 1));
        EXPECT_EQ(second, FlatFieldIfMade(*quilt, resolution));
        EXPECT_TRUE(stopped == nullptr || stopped == second);
    }
}

// A uniform field over whole periods of the fold (the tile where the kind
// has none), spread by an R2 sequence rather than the flat field's lattice,
// must develop flat: fold lines and edges of the folded cell included.
TEST(StudioFlatField, UniformFieldDevelopsFlatForEveryKind)
{
    for (QuiltKind kind : kKinds) {
        CTilvexApp app(5.0);
        const auto quilt = MakeQuilt(kind, app);
        const int w = 96, h = StudioTileHeight(*quilt, w);
        const int resolution = StudioResolution(*quilt, w);
        TileFolder folder(*quilt);
        const Complex region = folder.FoldRegion().value_or(Complex(quilt->tile.width, quilt->tile.height));
        DensityBuffer buffer(resolution);
        const long long points = 1200ll * resolution * resolution;
        for (long long i = 0; i < points; ++i) {
            const double a = std::fmod(0.5 + i * 0.7548776662466927, 1.0), b = std::fmod(0.5 + i * 0.5698402909980532, 1.0);
            const Complex u = folder.UnitPosition(a * region.re, b * region.im);
            buffer.Add(buffer.Locate(u.re, u.im));
        }
        std::stop_source stopped;
        stopped.request_stop();
        EXPECT_EQ(FlatFieldFor(*quilt, resolution, 2, stopped.get_token()), nullptr);  // and keeps nothing
        const auto flat = FlatFieldFor(*quilt, resolution, 2);
        // The field of no filter, read from the buffer, is the one made cell by cell.
        const DensityField made = *EstimateDensity(buffer, flat.get(), DenoiseSettings{.on = false}, 2);
        const DensityField read = DensityField::Unfiltered(buffer, flat.get());
        for (int i = 0; i < 500; ++i) {
            const double u = std::fmod(i * 0.7548776662466927, 1.0), v = std::fmod(i * 0.5698402909980532, 1.0);
            ASSERT_EQ(made.Sample(u, v), read.Sample(u, v)) << "kind " << static_cast<int>(kind);
        }
        for (const DenoiseSettings denoise : {DenoiseSettings{.on = false}, DenoiseSettings{},
                                              DenoiseSettings{.filter = DenoiseFilter::Kernel}}) {
            const DensityField field = *EstimateDensity(buffer, flat.get(), denoise, 2);
            const std::vector<float> d = FoldTile(*quilt, field, false, w, h, 1, 2)->densities;
            double mean = 0.0;
            for (float v : d) mean += v;
            mean /= static_cast<double>(d.size());
            double worst = 0.0;
            for (float v : d) worst = std::max(worst, std::fabs(v / mean - 1.0));
            EXPECT_LE(worst, 0.02) << "kind " << static_cast<int>(kind) << " denoise " << DenoiseName(denoise);
        }
    }
}

// The estimate averages the square map's counts over the transpose and the
// point reflection: the map must commute with both on the torus for any
// coefficients, plain and detailed, and a map whose shifts differ or whose
// multiplier is not whole must not be averaged. The averaged buffer is
// invariant under both and keeps the counts' sum.
TEST(StudioEstimate, SquareCountsAreAveragedOverTheMapsOwnSymmetries)
{
    auto torusClose = [](Complex a, Complex b) {
        auto d = [](double s, double t) { return std::fabs(s - t - std::round(s - t)); };
        return d(a.re, b.re) < 1e-7 && d(a.im, b.im) < 1e-7;  // the detailed sums round to about 1e-9
    };
    CTilvexApp app(1.0);
    QuiltSnapshot quilt = *MakeQuilt(QuiltKind::Square, app);
    RandomSource random;
    random.Seed(17);
    for (int detailed : {0, 1}) {
        for (int trial = 0; trial < 20; ++trial) {
            SqrMap map;
            map.detailed = detailed;
            map.Randomize(random);
            quilt.maps.square = map;
            ASSERT_EQ(CellSymmetryOf(quilt), (CellSymmetry{true, true}));
            for (int k = 0; k < 20; ++k) {
                const Complex p(random.RandomUnit(), random.RandomUnit());
                const Complex image = map.Iterate(p);
                const Complex transposed = map.Iterate(Complex(p.im, p.re));
                const Complex reflected = map.Iterate(Complex(1.0 - p.re, 1.0 - p.im));
                EXPECT_TRUE(torusClose(transposed, Complex(image.im, image.re))) << detailed << " " << trial;
                EXPECT_TRUE(torusClose(reflected, Complex(-image.re, -image.im))) << detailed << " " << trial;
            }
        }
    }
    quilt.maps.square.shiftX = 0.5;
    quilt.maps.square.shiftY = 0.0;
    quilt.maps.square.emm = 1.0;
    EXPECT_EQ(CellSymmetryOf(quilt), (CellSymmetry{false, true}));
    quilt.maps.square.shiftY = 0.5;
    quilt.maps.square.emm = 0.5;
    EXPECT_EQ(CellSymmetryOf(quilt), (CellSymmetry{true, false}));
    quilt.kind = QuiltKind::Hex;
    EXPECT_EQ(CellSymmetryOf(quilt), CellSymmetry{});

    const int n = 37;
    DensityBuffer buffer(n);
    std::uint64_t sum = 0;
    for (int i = 0; i < 3000; ++i) {
        buffer.Add(buffer.Locate(std::fmod(i * 0.7548776662466927, 1.0) * 0.6, std::fmod(i * 0.5698402909980532, 1.0)));
        sum += DensityBuffer::kOneVisit;
    }
    const DensityBuffer averaged = Symmetrised(buffer, {true, true}, 2);
    std::uint64_t averagedSum = 0;
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            averagedSum += averaged.At(x, y);
            ASSERT_EQ(averaged.At(x, y), averaged.At(y, x)) << x << " " << y;
            ASSERT_EQ(averaged.At(x, y), averaged.At(n - 1 - x, n - 1 - y)) << x << " " << y;
        }
    EXPECT_NEAR(static_cast<double>(averagedSum), static_cast<double>(sum), n * n);
}

// The patch filter takes the noise out of flat ground but keeps a step: two
// densities side by side with Poisson counts come out with at most a quarter
// of the noise's variance, the cells two from each step keep their side's
// mean, and a band of rows is those rows of the whole field.
TEST(StudioEstimate, PatchFilterSmoothsFlatGroundAndKeepsSteps)
{
    const int n = 64;
    const double low = 20.0, high = 60.0;
    auto truth = [&](int x) { return x < n / 2 ? low : high; };
    std::mt19937 engine(5);
    DensityBuffer buffer(n);
    for (int y = 0; y < n; ++y) {
        std::vector<std::uint32_t> row(n);
        for (int x = 0; x < n; ++x)
            row[x] = std::poisson_distribution<std::uint32_t>(truth(x))(engine) * DensityBuffer::kOneVisit;
        buffer.AssignCells(static_cast<std::size_t>(y) * n, row);
    }
    const PlainDensity plain(buffer, nullptr);
    const std::vector<float> whole = *PatchFilter(plain, n, nullptr, 1.0, 2);
    for (int x = 0; x < n; ++x) {
        double mean = 0.0, squares = 0.0;
        for (int y = 0; y < n; ++y) {
            const double v = whole[static_cast<std::size_t>(y) * n + x];
            mean += v / n;
            squares += v * v / n;
        }
        const int fromStep = std::min({x, std::abs(x - n / 2), n - x});
        if (fromStep == 2) {
            EXPECT_NEAR(mean, truth(x), 0.03 * truth(x)) << "column " << x;
        }
        if (fromStep >= 4) {
            EXPECT_LT(squares - mean * mean, truth(x) / 4) << "column " << x;
        }
    }
    const std::vector<float> band = *PatchFilter(plain, n, nullptr, 1.0, 1, {}, {10, 27});
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const std::size_t cell = static_cast<std::size_t>(y) * n + x;
            ASSERT_EQ(band[cell], y >= 10 && y < 27 ? whole[cell] : 0.0f) << x << " " << y;
        }
}

// Cells a fold line cuts hold a share of a full cell's visits: the filter must
// still find their like among full cells, or the fold lines stay as lines of grain.
TEST(StudioEstimate, PatchFilterSmoothsCellsCutByFoldLines)
{
    CTilvexApp app(3.0);
    const auto quilt = MakeQuilt(QuiltKind::FourSixTwelve, app);
    const int n = 128;
    const double visits = 30.0;
    const auto flat = FlatFieldFor(*quilt, n, 2);
    std::mt19937 engine(9);
    DensityBuffer buffer(n);
    for (int y = 0; y < n; ++y) {
        std::vector<std::uint32_t> row(n);
        for (int x = 0; x < n; ++x) {
            const double cover = flat->Coverage(static_cast<std::size_t>(y) * n + x);
            if (cover >= kMinCoverage)
                row[x] = std::poisson_distribution<std::uint32_t>(visits * cover)(engine) * DensityBuffer::kOneVisit;
        }
        buffer.AssignCells(static_cast<std::size_t>(y) * n, row);
    }
    const std::vector<float> field = *PatchFilter(PlainDensity(buffer, flat.get()), n, flat.get(), 1.0, 2);
    double cutSquares = 0.0, fullSquares = 0.0;
    int cut = 0, full = 0;
    for (std::size_t cell = 0; cell < field.size(); ++cell) {
        const double cover = flat->Coverage(cell), error = field[cell] / visits - 1.0;
        if (std::abs(cover - 1.0) < 0.001) fullSquares += error * error, ++full;
        else if (cover >= 0.25 && cover <= 0.75) cutSquares += error * error, ++cut;
    }
    ASSERT_GT(cut, 100);
    const double cutRms = std::sqrt(cutSquares / cut), fullRms = std::sqrt(fullSquares / full);
    EXPECT_LT(cutRms, 1.5 * fullRms);  // 3.6 times when patches counted the empty cells
}

// Every look setting on (either filter): the same picture for one thread and two, on the
// scalar path and the widest (in two passes), and the denoised tile still
// repeats without a seam.
TEST(StudioLook, EveryOptionOnIsThreadIndependentAndTilesWithoutSeam)
{
    for (QuiltKind kind : {QuiltKind::Square, QuiltKind::FourSixTwelve}) {
        CTilvexApp app(3.0);
        const auto quilt = MakeQuilt(kind, app, 20000);
        Look look;
        look.oversample = 2;
        look.tone.vibrancy = 0.5;
        look.tone.highlight = 0.5;
        look.colorBy = ColorBy::Direction;
        if (kind == QuiltKind::FourSixTwelve) look.denoise.filter = DenoiseFilter::Kernel;  // and patches on the square
        RenderSettings renderSpec{.width = 80, .samplesPerPixel = 6.0};
        std::vector<std::vector<RgbF>> pictures;
        for (int threads : {1, 2, 0}) {
            // The last: the widest path, sampled in two passes.
            renderSpec.simd = threads == 0 ? SimdPath::Auto : SimdPath::Scalar;
            RenderJob job(quilt, renderSpec, look, threads == 0 ? 2 : threads);
            if (threads == 0) {
                ASSERT_TRUE(job.SampleTo(job.Budget() / 3));
            }
            ASSERT_TRUE(job.SampleTo(job.Budget()));
            const FloatImage image = *job.Develop();
            std::vector<RgbF> pixels(static_cast<std::size_t>(image.Width()) * image.Height());
            for (int y = 0; y < image.Height(); ++y) image.Row(y, pixels.data() + static_cast<std::size_t>(y) * image.Width());
            pictures.push_back(std::move(pixels));
            if (threads == 1) {
                // Brightness steps across the tile's edges are no larger than inside it.
                const int w = image.Width(), hh = image.Height();
                auto at = [&](int x, int y) {
                    const RgbF& c = pictures[0][static_cast<std::size_t>(y) * w + x];
                    return c.r + c.g + c.b;
                };
                double interior = 0, seam = 0;
                for (int y = 0; y < hh; ++y)
                    for (int x = 0; x + 1 < w; ++x) interior = std::max(interior, std::fabs(at(x + 1, y) - at(x, y)));
                for (int y = 0; y < hh; ++y) seam = std::max(seam, std::fabs(at(0, y) - at(w - 1, y)));
                for (int x = 0; x < w; ++x) seam = std::max(seam, std::fabs(at(x, 0) - at(x, hh - 1)));
                EXPECT_LE(seam, interior);
            }
        }
        for (int k : {1, 2}) {
            ASSERT_EQ(pictures[0].size(), pictures[k].size());
            for (std::size_t i = 0; i < pictures[0].size(); ++i) {
                ASSERT_EQ(pictures[0][i].r, pictures[k][i].r) << k << " " << i;
                ASSERT_EQ(pictures[0][i].g, pictures[k][i].g) << k << " " << i;
                ASSERT_EQ(pictures[0][i].b, pictures[k][i].b) << k << " " << i;
            }
        }
    }
}

// A render's last develop frees the counts early; its picture is the one
// Develop makes, exposure (taken from the plain density) included.
TEST(StudioLook, SpendingTheBufferDevelopsTheSamePicture)
{
    CTilvexApp app(5.0);
    const auto quilt = MakeQuilt(QuiltKind::FourEightEight, app, 20000);
    for (int oversample : {1, 2}) {
        Look look;
        look.oversample = oversample;
        look.colorBy = oversample == 2 ? ColorBy::Speed : ColorBy::Density;
        const int width = 60;
        Accumulator samples(quilt, StudioResolution(*quilt, width) * oversample, RenderSettings{.width = width},
                            oversample == 2 ? std::optional(SampleColouring{look.colorBy, Colours(look, quilt->paletteEntries)})
                                            : std::nullopt);
        ASSERT_TRUE(samples.Run(20000, 2));
        const FloatImage kept = *Develop(*quilt, samples.Density(), width, look, 2, {}, {}, samples.Colours());
        const FloatImage spent =
            *DevelopSpending(*quilt, samples.Density().Clone(), width, look, 2, {}, {}, samples.Colours());
        ASSERT_EQ(kept.Height(), spent.Height());
        std::vector<RgbF> a(width), b(width);
        for (int y = 0; y < kept.Height(); ++y) {
            kept.Row(y, a.data());
            spent.Row(y, b.data());
            for (int x = 0; x < width; ++x)
                ASSERT_TRUE(a[x].r == b[x].r && a[x].g == b[x].g && a[x].b == b[x].b) << oversample << " " << x << "," << y;
        }
    }
}

// Colours are summed where the samples land and placed by the pixel rule,
// so every copy of a point gets its colour: a square tile is its mirror image.
TEST(StudioLook, ColourByStructureKeepsTheSymmetry)
{
    CTilvexApp app(7.0);
    const auto quilt = MakeQuilt(QuiltKind::Square, app, 20000);
    for (ColorBy by : {ColorBy::Direction, ColorBy::Speed, ColorBy::Blend}) {
        Look look;
        look.colorBy = by;
        RenderJob job(quilt, RenderSettings{.width = 64, .samplesPerPixel = 8.0}, look, 2);
        ASSERT_TRUE(job.SampleTo(job.Budget()));
        const FloatImage image = *job.Develop();
        std::vector<RgbF> row(64), down(64);
        bool coloured = false;
        for (int y = 0; y < image.Height(); ++y) {
            image.Row(y, row.data());
            image.Row(image.Height() - 1 - y, down.data());
            for (int x = 0; x < 64; ++x) {
                ASSERT_NEAR(row[x].r, row[63 - x].r, 1e-9) << ColorByName(by) << " " << x << "," << y;
                ASSERT_NEAR(row[x].b, down[x].b, 1e-9) << ColorByName(by) << " " << x << "," << y;
                coloured = coloured || std::fabs(row[x].r - row[x].g) > 0.05;
            }
        }
        EXPECT_TRUE(coloured) << ColorByName(by);
    }
}

TEST(StudioLook, ExposureOfAnEmptyAndAOnePixelPicture)
{
    ToneSettings equalized, fixed;
    equalized.equalize = true;
    fixed.exposure = 2.0;
    for (const ToneSettings& settings : {ToneSettings{}, equalized, fixed}) {
        const ToneMap empty(std::vector<float>(16, 0.0f), settings);
        EXPECT_EQ(empty(0.0), 0.0);
        const ToneMap one(std::vector<float>{0.0f, 0.0f, 7.5f, 0.0f}, settings);
        EXPECT_EQ(one(0.0), 0.0);
        EXPECT_TRUE(one(7.5) > 0.0 && one(7.5) <= 1.0);
        EXPECT_TRUE(std::isfinite(one(1e30)));
    }
    // A buffer of one visit denoises to a finite field that keeps the visit.
    DensityBuffer buffer(32);
    buffer.Add(buffer.Locate(0.5, 0.5));
    const DensityField field = *EstimateDensity(buffer, nullptr, DenoiseSettings{}, 2);
    double total = 0.0;
    for (float v : field.Values()) total += v;
    EXPECT_NEAR(total, 1.0, 1e-3);
}

// The picture files reopen: the note and the session come back from the
// PNG and the OpenEXR file, and the OpenEXR pixels are the picture's
// colours in linear light.
TEST(StudioLook, PicturesCarryTheirQuiltAndReadBack)
{
    CTilvexApp app(7.0);
    const auto quilt = MakeQuilt(QuiltKind::Hex, app, 20000);
    const std::vector<std::uint8_t> session = {1, 2, 3, 250, 0, 9};
    Look look;
    look.bitDepth = 16;
    RenderJob job(quilt, RenderSettings{.width = 40, .samplesPerPixel = 2.0}, look, 2);
    const auto dir = std::filesystem::temp_directory_path() / ("studio_look_test_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    RenderJob::Outputs outputs;
    outputs.png = (dir / "p.png").string();
    outputs.exr = (dir / "p.exr").string();
    outputs.dpi = 300;
    outputs.session = session;
    ASSERT_EQ(job.Write(outputs), "");
    for (const std::string& path : {outputs.png, outputs.exr}) {
        std::ifstream file(path, std::ios::binary);
        const std::vector<std::uint8_t> bytes(std::istreambuf_iterator<char>(file), {});
        std::string error;
        const std::optional<PictureNote> note = ReadPictureNote(bytes.data(), bytes.size(), error);
        ASSERT_TRUE(note) << path << ": " << error;
        EXPECT_EQ(note->session, session) << path;
        EXPECT_EQ(nlohmann::json::parse(note->settings)["look"].get<Look>(), look) << path;
    }
    Imf::RgbaInputFile exr(outputs.exr.c_str());
    const Imath::Box2i window = exr.dataWindow();
    ASSERT_EQ(window.max.x + 1, job.Width());
    std::vector<Imf::Rgba> pixels(static_cast<std::size_t>(job.Width()) * job.Height());
    exr.setFrameBuffer(pixels.data(), 1, static_cast<std::size_t>(job.Width()));
    exr.readPixels(0, job.Height() - 1);
    const FloatImage image = *job.Develop();
    std::vector<RgbF> row(static_cast<std::size_t>(job.Width()));
    image.Row(5, row.data());
    for (int x = 0; x < job.Width(); ++x)
        EXPECT_NEAR(pixels[static_cast<std::size_t>(5 * job.Width() + x)].g, LinearFromSrgb(row[x].g), 2e-3) << x;
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace tilvex::studio

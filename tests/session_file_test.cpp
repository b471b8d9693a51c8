#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <bit>
#include <climits>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>

#include "engine/QuiltExport.h"
#include "engine/SessionFile.h"
#include "engine/TilvexApp.h"

using namespace tilvex;
namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

namespace {

constexpr std::uint64_t kPlentyOfMemory = 1ull << 32;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// Where the fields of a ".qlt" file sit, worked out from the field widths.
constexpr std::size_t kCapacityAt = 0, kLimitReachedAt = 4, kGeneratingAt = 8, kSquareDetailDepthAt = 24;
constexpr std::size_t kKindHexAt = 26, kKindReservedAt = 38, kKindFourSixTwelveAt = 42;
constexpr std::size_t kKindFourEightAt = 46, kKindThreeTwelveAt = 50;
constexpr std::size_t kIterationCountAt = 62, kMaxIterationsAt = 66, kGridScaleAt = 70, kGridScaleInverseAt = 78;
constexpr std::size_t kGridSizeAt = 86, kTileWidthAt = 88, kImageHeightAt = 108, kQuiltNameAt = 112;
constexpr std::size_t kViewPeriodAt = 132, kHexSizeLimitAt = 134, kReserved1At = 138, kReserved3At = 146;
constexpr std::size_t kPlotXAt = 150, kPointAt = 166, kNextPointAt = 182;
constexpr std::size_t kSquareAt = 198, kHexAt = 566, kGridAt = 4010;
constexpr std::size_t kHexHalfHeightAt = kHexAt + 3184, kHexAlphaAt = kHexAt + 3264, kHexDepthAt = kHexAt + 3316;
constexpr std::size_t kHexTileWidthAt = kHexAt + 3420, kHexSpareInt2At = kHexAt + 3440;

std::size_t FourSixTwelveAt(int width) { return kGridAt + 6 + 2 * static_cast<std::size_t>(width) * width; }
std::size_t FourEightAt(int width) { return FourSixTwelveAt(width) + 976; }
std::size_t ThreeTwelveAt(int width) { return FourEightAt(width) + 704; }
std::size_t WildCornerAt(int width) { return ThreeTwelveAt(width) + 792; }

std::size_t ExpectedSize(int width, int rows, int depth)
{
    return 198 + 368 + 3444 + (6 + 2 * static_cast<std::size_t>(width) * width) + 976 + 704 + 792 +
           (36 + 16 * static_cast<std::size_t>(rows) * depth) + 1024 + 2;
}

std::uint64_t GetLE(const Bytes& b, std::size_t at, int n)
{
    std::uint64_t v = 0;
    for (int i = 0; i < n; ++i) v |= static_cast<std::uint64_t>(b.at(at + i)) << (8 * i);
    return v;
}
void PutLE(Bytes& b, std::size_t at, std::uint64_t v, int n)
{
    for (int i = 0; i < n; ++i) b.at(at + i) = static_cast<std::uint8_t>(v >> (8 * i));
}
int GetI32(const Bytes& b, std::size_t at) { return static_cast<std::int32_t>(GetLE(b, at, 4)); }
unsigned GetU16(const Bytes& b, std::size_t at) { return static_cast<unsigned>(GetLE(b, at, 2)); }
double GetF64(const Bytes& b, std::size_t at) { return std::bit_cast<double>(GetLE(b, at, 8)); }
void PutI32(Bytes& b, std::size_t at, int v) { PutLE(b, at, static_cast<std::uint32_t>(v), 4); }
void PutU16(Bytes& b, std::size_t at, unsigned v) { PutLE(b, at, v, 2); }
void PutF64(Bytes& b, std::size_t at, double v) { PutLE(b, at, std::bit_cast<std::uint64_t>(v), 8); }

Bytes ReadFile(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
void WriteFile(const fs::path& p, const Bytes& b)
{
    std::ofstream out(p, std::ios::binary);
    out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

struct TempDir {
    TempDir()
    {
        std::string pattern = (fs::temp_directory_path() / "tilvex-session-XXXXXX").string();
        path = ::mkdtemp(pattern.data());
    }
    ~TempDir()
    {
        std::error_code ec;
        fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(path, ec);
    }
    fs::path operator/(const char* name) const { return path / name; }
    fs::path path;
};

struct RecordingUi : AcceptingInteraction {
    void ShowMessage(const std::string& text, MessageIcon icon) override
    {
        messages.push_back(text);
        icons.push_back(icon);
    }
    void BeginWaitCursor() override { ++waitDepth, ++waitCalls; }
    void EndWaitCursor() override { --waitDepth; }
    std::vector<MessageIcon> icons;
    int waitDepth = 0, waitCalls = 0;
};

void SelectKind(CTilvexApp& app, QuiltKind kind)
{
    app.kindFlags.Clear();
    switch (kind) {
    case QuiltKind::Square: break;
    case QuiltKind::Hex: app.kindFlags.kindHex = 1; break;
    case QuiltKind::FourSixTwelve: app.kindFlags.kindFourSixTwelve = 1; break;
    case QuiltKind::FourEightEight: app.kindFlags.kindFourEightEight = 1; break;
    case QuiltKind::ThreeTwelveTwelve: app.kindFlags.kindThreeTwelveTwelve = 1; break;
    case QuiltKind::WildCorner: app.kindFlags.kindWildCorner = 1; break;
    }
}

// A started program running a random quilt of one kind.
struct Quilt {
    explicit Quilt(QuiltKind kind, double seed = 3, int steps = 20000, int width = 0) : app(seed)
    {
        app.ui = &ui;
        EXPECT_TRUE(app.InitInstance(kPlentyOfMemory));
        if (width) app.ApplyGridWidth(width);
        SelectKind(app, kind);
        app.RandomNewQuilt();
        Run(steps);
    }
    void Run(int steps)
    {
        for (int i = 0; i < steps; ++i) app.OnIdle();
    }
    Bytes Save(const fs::path& p)
    {
        EXPECT_TRUE(app.SaveSession(p.string()));
        return ReadFile(p);
    }
    RecordingUi ui;
    CTilvexApp app;
};

// Everything a load could touch: the file image plus what the file leaves out.
Bytes Snapshot(CTilvexApp& app)
{
    Bytes s = EncodeSession(app);
    auto add = [&s](const auto& v) {
        const auto* p = reinterpret_cast<const std::uint8_t*>(&v);
        s.insert(s.end(), p, p + sizeof v);
    };
    add(app.kindFlags.kindWildCorner);
    add(app.random.RandState());
    add(app.random.state0), add(app.random.state1), add(app.random.state2), add(app.random.lastValue);
    add(app.grid.width), add(app.grid.maxCount);
    for (int k = 0; k < 256; ++k) add(app.grid.histogram[k]);
    for (int i = 0; i < app.maps.wildCorner.amplitudes.GetSize(); ++i) add(app.maps.wildCorner.amplitudes[i]);
    for (int i = 0; i < app.maps.wildCorner.frequencies.GetSize(); ++i) add(app.maps.wildCorner.frequencies[i]);
    for (int i = 0; i < 36; ++i) add(app.maps.square.coef[i]);
    return s;
}

const QuiltKind kAllKinds[] = {QuiltKind::Square,         QuiltKind::Hex,
                               QuiltKind::FourSixTwelve,  QuiltKind::FourEightEight,
                               QuiltKind::ThreeTwelveTwelve, QuiltKind::WildCorner};

}  // namespace

TEST(SessionFile, LengthFollowsTheGridWidthAndTheWildCornerTable)
{
    TempDir dir;
    int widths[] = {100, 20, 57, 300, 41, 88};
    int i = 0;
    for (QuiltKind kind : kAllKinds) {
        Quilt q(kind, 5, 4000, widths[i++]);
        Bytes file = q.Save(dir / "a.qlt");
        const WildCornerMap& w = q.app.maps.wildCorner;
        EXPECT_EQ(file.size(), ExpectedSize(q.app.grid.width, w.rowCount, w.depth)) << static_cast<int>(kind);
    }
    // The largest table the dialog allows, with only four terms per row stored.
    Quilt q(QuiltKind::WildCorner, 5, 100);
    q.app.maps.wildCorner.Randomize(42, 4, q.app.random);
    Bytes file = q.Save(dir / "b.qlt");
    EXPECT_EQ(file.size(), ExpectedSize(100, 22, 4));
    EXPECT_EQ(GetI32(file, WildCornerAt(100) + 4), 22);
}

TEST(SessionFile, FieldsSitWhereTheLayoutPutsThem)
{
    TempDir dir;
    Quilt q(QuiltKind::Square, 3, 100, 40);
    CTilvexApp& app = q.app;
    app.counters.iterationCount = 123456789;
    app.counters.maxIterations = 987654321;
    app.detail.squareDetailDepth = 5;
    app.kindFlags.kindReserved = 1;
    app.geometry.viewPeriod = -3;
    app.geometry.hexSizeLimit = 321;
    app.identity.reserved3 = 33;
    app.orbit.plotX = 0.125;
    app.orbit.point = {0.25, 0.375};
    app.orbit.nextPoint = {0.5, 0.625};
    app.geometry.tileWidth = 12.5;
    app.geometry.imageHeight = -480;
    std::memcpy(app.identity.quiltName, "Qs000042\0xxxxxxxxxx", 20);
    app.maps.square.lambda = 0.0625;
    app.maps.square.twoPi = 6.283185307;
    app.maps.square.detailed = 1;
    app.maps.square.depth = 4;
    app.maps.square.SetCoef(2, 5, -0.75);
    app.maps.hex.alpha = {0.01, -0.02};
    app.maps.hex.depth = 7;
    app.maps.hex.tileWidth = 99.5;
    app.maps.hex.spareInt2 = 77;
    app.maps.fourSixTwelve.squareRadial[1] = {1.5, -2.5};
    app.maps.fourSixTwelve.spareFlag1 = 42;
    app.maps.fourEightEight.octagonAngular[0] = {3.5, 4.5};
    app.maps.threeTwelveTwelve.triangleRadial[0] = {-5.5, 6.5};
    app.grid.Clear();
    app.grid.SetCount(3, 7, 5);
    app.grid.SetCount(7, 3, 9);
    app.grid.maxCount = 9;
    app.palette.paletteEntries[5] = {1, 2, 3, 4};
    app.maps.wildCorner.Randomize(9, 6, app.random);
    app.maps.wildCorner.amplitudes[12 * 2 + 3] = {0.125, -0.25};

    Bytes f = q.Save(dir / "a.qlt");
    EXPECT_EQ(GetI32(f, kCapacityAt), app.maxGridSize);
    EXPECT_EQ(GetI32(f, kIterationCountAt), 123456789);
    EXPECT_EQ(GetI32(f, kMaxIterationsAt), 987654321);
    EXPECT_EQ(GetU16(f, kSquareDetailDepthAt), 5u);
    EXPECT_EQ(GetI32(f, kKindReservedAt), 1);
    EXPECT_EQ(GetF64(f, kGridScaleAt), 40.0);
    EXPECT_EQ(GetF64(f, kGridScaleInverseAt), 1.0 / 40);
    EXPECT_EQ(GetU16(f, kGridSizeAt), 40u);
    EXPECT_EQ(GetF64(f, kTileWidthAt), 12.5);
    EXPECT_EQ(GetI32(f, kImageHeightAt), -480);
    EXPECT_EQ(0, std::memcmp(f.data() + kQuiltNameAt, "Qs000042\0xxxxxxxxxx", 20));
    EXPECT_EQ(GetU16(f, kViewPeriodAt), 0xFFFDu);
    EXPECT_EQ(GetI32(f, kHexSizeLimitAt), 321);
    EXPECT_EQ(GetI32(f, kReserved3At), 33);
    EXPECT_EQ(GetF64(f, kPlotXAt), 0.125);
    EXPECT_EQ(GetF64(f, kPointAt + 8), 0.375);
    EXPECT_EQ(GetF64(f, kNextPointAt), 0.5);

    EXPECT_EQ(GetF64(f, kSquareAt), 0.0625);
    EXPECT_EQ(GetF64(f, kSquareAt + 64), 6.283185307);
    EXPECT_EQ(GetI32(f, kSquareAt + 72), 1);
    EXPECT_EQ(GetU16(f, kSquareAt + 76), 4u);
    EXPECT_EQ(GetU16(f, kSquareAt + 78), 0u);
    EXPECT_EQ(GetF64(f, kSquareAt + 80 + 8 * (6 * 2 + 5)), -0.75);

    EXPECT_EQ(GetF64(f, kHexAlphaAt), 0.01);
    EXPECT_EQ(GetF64(f, kHexAlphaAt + 8), -0.02);
    EXPECT_EQ(GetI32(f, kHexDepthAt), 7);
    EXPECT_EQ(GetF64(f, kHexTileWidthAt), 99.5);
    EXPECT_EQ(GetI32(f, kHexSpareInt2At), 77);
    EXPECT_EQ(GetF64(f, kHexHalfHeightAt), app.maps.hex.halfHeight);

    // Counts row by row: y outer, x inner.
    EXPECT_EQ(GetU16(f, kGridAt), 9u);
    EXPECT_EQ(GetU16(f, kGridAt + 4), 40u);
    EXPECT_EQ(GetU16(f, kGridAt + 6 + 2 * (7 * 40 + 3)), 5u);
    EXPECT_EQ(GetU16(f, kGridAt + 6 + 2 * (3 * 40 + 7)), 9u);

    EXPECT_EQ(GetF64(f, FourSixTwelveAt(40) + 136 + 96), 1.5);
    EXPECT_EQ(GetI32(f, FourSixTwelveAt(40) + 792), 42);
    EXPECT_EQ(GetF64(f, FourEightAt(40) + 152 + 48 + 8), 4.5);
    EXPECT_EQ(GetF64(f, ThreeTwelveAt(40) + 192), -5.5);

    std::size_t w = WildCornerAt(40);
    EXPECT_EQ(GetI32(f, w), 9);
    EXPECT_EQ(GetI32(f, w + 4), 5);
    EXPECT_EQ(GetI32(f, w + 8), 6);
    EXPECT_EQ(GetF64(f, w + 12), app.maps.wildCorner.sinTheta);
    EXPECT_EQ(GetF64(f, w + 28), app.maps.wildCorner.theta);
    EXPECT_EQ(GetF64(f, w + 36 + 16 * (2 * 6 + 3)), 0.125);

    std::size_t palette = f.size() - 1026;
    EXPECT_EQ(palette, w + 36 + 16 * 5 * 6);
    EXPECT_EQ(f[palette + 20], 1);
    EXPECT_EQ(f[palette + 23], 4);
    EXPECT_EQ(f[f.size() - 2], 0);
    EXPECT_EQ(f[f.size() - 1], 0);
}

TEST(SessionFile, SaveLoadSaveGivesTheSameBytesForEveryKind)
{
    TempDir dir;
    for (QuiltKind kind : kAllKinds) {
        Quilt a(kind, 3, 15000, 64);
        Bytes first = a.Save(dir / "a.qlt");
        Quilt b(QuiltKind::Hex, 17, 5000, 150);
        b.app.kindFlags.kindWildCorner = a.app.kindFlags.kindWildCorner;
        // What the file does not hold stays as the loading state had it.
        b.app.detail.hexDetailDepth = 7;
        b.app.identity.quiltNumber = 4242;
        b.app.counters.restarts = 9;
        ASSERT_TRUE(b.app.LoadSession((dir / "a.qlt").string()));
        EXPECT_EQ(b.app.Kind(), kind);
        EXPECT_EQ(b.app.grid.width, 64);
        EXPECT_EQ(b.app.detail.hexDetailDepth, 7);
        EXPECT_EQ(b.app.identity.quiltNumber, 4242);
        EXPECT_EQ(b.app.counters.restarts, 9);
        EXPECT_EQ(b.Save(dir / "b.qlt"), first) << static_cast<int>(kind);
        EXPECT_TRUE(b.ui.messages.empty());
    }
}

TEST(SessionFile, ALoadedSessionContinuesLikeTheOneThatWasSaved)
{
    TempDir dir;
    for (QuiltKind kind : kAllKinds) {
        Quilt a(kind, 3, 20000, 50);
        a.Save(dir / "a.qlt");
        Quilt b(QuiltKind::Square, 29, 3000);
        b.app.kindFlags.kindWildCorner = a.app.kindFlags.kindWildCorner;
        ASSERT_TRUE(b.app.LoadSession((dir / "a.qlt").string()));
        EXPECT_EQ(b.app.run.generating, 1);
        EXPECT_EQ(b.app.run.limitReached, 0);
        int restartsA = a.app.counters.restarts, restartsB = b.app.counters.restarts;
        a.Run(30000);
        b.Run(30000);
        // A convergence restart draws from the random source, which is not saved.
        ASSERT_EQ(a.app.counters.restarts, restartsA) << "pick a seed without restarts";
        ASSERT_EQ(b.app.counters.restarts, restartsB);
        EXPECT_EQ(b.app.counters.iterationCount, a.app.counters.iterationCount);
        EXPECT_EQ(EncodeSession(b.app), EncodeSession(a.app)) << static_cast<int>(kind);
    }
}

TEST(SessionFile, ASessionSavedAtItsLimitStaysStoppedUntilTheLimitIsRaised)
{
    TempDir dir;
    Quilt a(QuiltKind::FourEightEight, 3, 0);
    a.app.counters.maxIterations = 5000;
    while (!a.app.run.limitReached) a.app.OnIdle();
    a.Save(dir / "a.qlt");

    Quilt b(QuiltKind::Square, 8, 2000);
    ASSERT_TRUE(b.app.LoadSession((dir / "a.qlt").string()));
    EXPECT_EQ(b.app.run.limitReached, 1);
    EXPECT_EQ(b.app.run.generating, 0);
    b.Run(10);
    EXPECT_EQ(b.app.counters.iterationCount, 5001);
    b.app.counters.maxIterations = 6000;
    b.Run(10);
    EXPECT_EQ(b.app.counters.iterationCount, 5011);
    EXPECT_EQ(b.app.run.generating, 1);
}

TEST(SessionFile, AWildCornerQuiltReopensAsItselfFromItsMarkOrItsName)
{
    TempDir dir;
    Quilt hex(QuiltKind::Hex, 3, 5000);
    EXPECT_EQ(GetI32(hex.Save(dir / "hex.qlt"), kReserved1At), 0);
    Quilt a(QuiltKind::WildCorner, 3, 5000);
    const Bytes f = a.Save(dir / "a.qlt");
    EXPECT_EQ(GetI32(f, kReserved1At), 1);
    for (std::size_t at : {kKindHexAt, kKindReservedAt, kKindFourSixTwelveAt, kKindFourEightAt, kKindThreeTwelveAt})
        EXPECT_EQ(GetI32(f, at), 0) << at;
    ASSERT_EQ(a.app.QuiltName().substr(0, 2), "Qx");

    const struct {
        int mark;
        const char* name;  // null: the saved "Qx" name
        QuiltKind kind;
    } cases[] = {{1, nullptr, QuiltKind::WildCorner},  {0, nullptr, QuiltKind::WildCorner},
                 {1, "mine", QuiltKind::WildCorner},   {0, "Qx12345", QuiltKind::Square},
                 {0, "Qx12345a", QuiltKind::Square},   {0, "Qs123456", QuiltKind::Square}};
    for (const auto& c : cases) {
        Bytes g = f;
        PutI32(g, kReserved1At, c.mark);
        if (c.name) {
            std::memset(g.data() + kQuiltNameAt, 0, 20);
            std::memcpy(g.data() + kQuiltNameAt, c.name, std::strlen(c.name));
        }
        WriteFile(dir / "b.qlt", g);
        // Loaded into a program whose own kind is the other one.
        Quilt b(c.kind == QuiltKind::WildCorner ? QuiltKind::Square : QuiltKind::WildCorner, 12, 100);
        ASSERT_TRUE(b.app.LoadSession((dir / "b.qlt").string()));
        EXPECT_EQ(b.app.Kind(), c.kind) << c.mark << (c.name ? c.name : "");
    }
}

TEST(SessionFile, ASessionThatReachedNonFiniteValuesReopensContinuesAndSavesTheSameBytes)
{
    TempDir dir;
    Quilt a(QuiltKind::Square, 3, 5000, 40);
    Bytes f = a.Save(dir / "a.qlt");
    for (std::size_t at : {kPlotXAt, kPlotXAt + 8, kPointAt, kPointAt + 8, kNextPointAt, kNextPointAt + 8})
        PutF64(f, at, kNaN);
    PutF64(f, kSquareAt, kInf);  // lambda
    WriteFile(dir / "nan.qlt", f);

    Quilt b(QuiltKind::Hex, 8, 3000);
    ASSERT_TRUE(b.app.LoadSession((dir / "nan.qlt").string()));
    EXPECT_TRUE(b.ui.messages.empty());
    EXPECT_EQ(b.Save(dir / "b.qlt"), f);

    b.app.counters.maxIterations = b.app.counters.iterationCount + 20000;
    while (!b.app.run.limitReached) b.app.OnIdle();
    b.app.BuildImage();
    const std::pair<ImageFormat, const char*> exports[] = {
        {ImageFormat::Bmp, "q.bmp"}, {ImageFormat::Pcx, "q.pcx"}, {ImageFormat::Png, "q.png"}};
    for (auto [format, name] : exports)
        EXPECT_EQ(ExportQuiltImage(b.app, format, (dir / name).string(), 2), "") << name;
    const Bytes continued = b.Save(dir / "c.qlt");
    Quilt c(QuiltKind::Hex, 8, 3000);
    ASSERT_TRUE(c.app.LoadSession((dir / "c.qlt").string()));
    EXPECT_EQ(c.Save(dir / "d.qlt"), continued);
}

TEST(SessionFile, AGridCapacityAboveThisMachinesIsRefusedWithTheMessage)
{
    TempDir dir;
    Quilt a(QuiltKind::Hex, 3, 5000);
    Bytes f = a.Save(dir / "a.qlt");
    ASSERT_EQ(GetI32(f, kCapacityAt), 601);

    Quilt b(QuiltKind::Square, 8, 5000);
    b.app.maxGridSize = 600;
    Bytes before = Snapshot(b.app);
    EXPECT_FALSE(b.app.LoadSession((dir / "a.qlt").string()));
    ASSERT_EQ(b.ui.messages.size(), 1u);
    EXPECT_EQ(b.ui.messages[0], "Not Enouth Memory free to load this Quilt");
    EXPECT_EQ(b.ui.icons[0], MessageIcon::Error);
    EXPECT_EQ(Snapshot(b.app), before);

    // Equal to the running capacity loads.
    PutI32(f, kCapacityAt, 600);
    WriteFile(dir / "b.qlt", f);
    EXPECT_TRUE(b.app.LoadSession((dir / "b.qlt").string()));
    EXPECT_EQ(b.app.Kind(), QuiltKind::Hex);
    EXPECT_EQ(b.ui.messages.size(), 1u);
}

namespace {

struct Corruption {
    const char* name;
    std::function<void(Bytes&)> apply;
    const char* said;  // part of the message
};

}  // namespace

TEST(SessionFile, ARefusedFileLeavesEverythingAsItWas)
{
    TempDir dir;
    const int w = 60;
    Quilt source(QuiltKind::WildCorner, 3, 12000, w);
    const Bytes good = source.Save(dir / "good.qlt");
    const std::size_t wc = WildCornerAt(w);
    const int n = GetI32(good, wc);

    const Corruption cases[] = {
        {"empty", [](Bytes& b) { b.clear(); }, "shorter"},
        {"two bytes", [](Bytes& b) { b.resize(2); }, "shorter"},
        {"cut in the grid", [](Bytes& b) { b.resize(kGridAt + 100); }, "density grid"},
        {"one byte short", [](Bytes& b) { b.pop_back(); }, "closing bytes"},
        {"one byte long", [](Bytes& b) { b.push_back(0); }, "longer"},
        {"twice as long", [](Bytes& b) { b.insert(b.end(), b.begin(), b.end()); }, "longer"},
        {"grid width 19", [](Bytes& b) { PutU16(b, kGridAt + 4, 19); }, "grid width is 19"},
        {"grid width 0", [](Bytes& b) { PutU16(b, kGridAt + 4, 0); }, "grid width"},
        {"grid width at capacity", [](Bytes& b) { PutU16(b, kGridAt + 4, 601); }, "grid width is 601"},
        {"square depth 7", [](Bytes& b) { PutU16(b, kSquareAt + 76, 7); }, "square map depth"},
        {"square detail depth 7", [](Bytes& b) { PutU16(b, kSquareDetailDepthAt, 7); }, "square detail depth"},
        {"hex depth 12", [](Bytes& b) { PutI32(b, kHexDepthAt, 12); }, "hex map depth is 12"},
        {"hex depth -1", [](Bytes& b) { PutI32(b, kHexDepthAt, -1); }, "hex map depth is -1"},
        {"hex half height 0", [](Bytes& b) { PutF64(b, kHexHalfHeightAt, 0.0); }, "hex lattice"},
        {"corner N 2", [wc](Bytes& b) { PutI32(b, wc, 2); }, "N value is 2"},
        {"corner N 43", [wc](Bytes& b) { PutI32(b, wc, 43); }, "N value is 43"},
        {"row count", [wc, n](Bytes& b) { PutI32(b, wc + 4, n / 2 + 2); }, "row count"},
        {"corner depth 13", [wc](Bytes& b) { PutI32(b, wc + 8, 13); }, "depth is 13"},
        {"corner depth -1", [wc](Bytes& b) { PutI32(b, wc + 8, -1); }, "depth is -1"},
        {"sine 0", [wc](Bytes& b) { PutF64(b, wc + 12, 0.0); }, "sine is 0"},
        {"tiny sine", [wc](Bytes& b) { PutF64(b, wc + 12, 1e-320); }, "infinite wave"},
        {"cosine infinite", [wc](Bytes& b) { PutF64(b, wc + 20, kInf); }, "not finite"},
        {"theta NaN", [wc](Bytes& b) { PutF64(b, wc + 28, kNaN); }, "not finite"},
        {"grid scale NaN", [](Bytes& b) { PutF64(b, kGridScaleAt, kNaN); }, "not finite"},
        {"grid scale 0", [](Bytes& b) { PutF64(b, kGridScaleAt, 0.0); }, "grid scale"},
        {"grid scale inverse inf", [](Bytes& b) { PutF64(b, kGridScaleInverseAt, -kInf); }, "not finite"},
        {"grid size 19", [](Bytes& b) { PutU16(b, kGridSizeAt, 19); }, "grid size"},
        {"hex size limit", [](Bytes& b) { PutI32(b, kHexSizeLimitAt, 5000); }, "hex size limit"},
        {"endless name", [](Bytes& b) { std::memset(b.data() + kQuiltNameAt, 'Q', 20); }, "quilt name"},
        {"negative count", [](Bytes& b) { PutI32(b, kIterationCountAt, INT_MIN); }, "iteration count is -2147483648"},
        {"negative limit", [](Bytes& b) { PutI32(b, kMaxIterationsAt, -1); }, "iteration limit is -1"},
        {"4-8-8 cell side 0", [w](Bytes& b) { PutF64(b, FourEightAt(w) + 48, 0.0); }, "4-8-8 cell side"},
        {"capacity", [](Bytes& b) { PutI32(b, kCapacityAt, 602); }, "Not Enouth Memory"},
    };
    for (const Corruption& c : cases) {
        Bytes bad = good;
        c.apply(bad);
        WriteFile(dir / "bad.qlt", bad);
        Quilt b(QuiltKind::Square, 8, 3000);
        b.app.kindFlags.kindWildCorner = 1;
        Bytes before = Snapshot(b.app);
        EXPECT_FALSE(b.app.LoadSession((dir / "bad.qlt").string())) << c.name;
        ASSERT_EQ(b.ui.messages.size(), 1u) << c.name;
        EXPECT_NE(b.ui.messages[0].find(c.said), std::string::npos) << c.name << ": " << b.ui.messages[0];
        EXPECT_EQ(b.ui.icons[0], MessageIcon::Error) << c.name;
        EXPECT_EQ(Snapshot(b.app), before) << c.name;
        EXPECT_EQ(b.ui.waitDepth, 0);
    }
    // The untouched file does load into the same program.
    Quilt b(QuiltKind::Square, 8, 3000);
    EXPECT_TRUE(b.app.LoadSession((dir / "good.qlt").string()));
}

TEST(SessionFile, AFileThatCannotBeReadIsReported)
{
    TempDir dir;
    Quilt b(QuiltKind::Hex, 8, 3000);
    Bytes before = Snapshot(b.app);
    // A FIFO would make a plain open wait for a writer for ever.
    ASSERT_EQ(::mkfifo((dir / "fifo.qlt").c_str(), 0600), 0);
    const std::pair<fs::path, const char*> cases[] = {{dir / "missing.qlt", "No such file"},
                                                      {dir.path, "folder"},
                                                      {dir / "fifo.qlt", "not a regular file"},
                                                      {"/dev/zero", "not a regular file"}};
    for (const auto& [p, said] : cases) {
        b.ui.messages.clear();
        b.ui.icons.clear();
        EXPECT_FALSE(b.app.LoadSession(p.string()));
        ASSERT_EQ(b.ui.messages.size(), 1u) << p;
        EXPECT_NE(b.ui.messages[0].find("Cannot open the session file \"" + p.string()), std::string::npos)
            << b.ui.messages[0];
        EXPECT_NE(b.ui.messages[0].find(said), std::string::npos) << b.ui.messages[0];
        EXPECT_EQ(b.ui.icons[0], MessageIcon::Error);
    }
    EXPECT_EQ(Snapshot(b.app), before);
}

TEST(SessionFile, AFailedSaveKeepsTheEarlierFile)
{
    TempDir dir;
    Quilt q(QuiltKind::Square, 3, 5000);
    const fs::path file = dir / "q.qlt";
    const Bytes old = q.Save(file);
    q.Run(20000);

    // The disk fills up halfway through the new file.
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 8192;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    bool saved1 = q.app.SaveSession(file.string());
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(saved1);
    EXPECT_EQ(ReadFile(file), old);
    ASSERT_EQ(q.ui.messages.size(), 1u);
    EXPECT_NE(q.ui.messages[0].find("Cannot save"), std::string::npos);
    EXPECT_EQ(q.ui.icons[0], MessageIcon::Error);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), fs::directory_iterator()), 1) << "a temporary file stayed";

    // A folder nobody may write to; as root, one the kernel refuses to write.
    fs::path locked = dir / "locked";
    fs::create_directory(locked);
    WriteFile(locked / "q.qlt", old);
    fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
    fs::path target = ::access(locked.c_str(), W_OK) == 0 ? fs::path("/proc/version") : locked / "q.qlt";
    Bytes targetBefore = ReadFile(target);
    EXPECT_FALSE(q.app.SaveSession(target.string())) << target;
    EXPECT_EQ(ReadFile(target), targetBefore);
    EXPECT_EQ(q.ui.messages.size(), 2u);
    EXPECT_EQ(q.ui.waitDepth, 0);
}

TEST(SessionFile, SavingReplacesTheFileInPlaceKeepingItsPermissions)
{
    TempDir dir;
    Quilt q(QuiltKind::Square, 3, 5000);
    const fs::path file = dir / "q.qlt";
    q.Save(file);
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    q.Run(5000);
    Bytes second = q.Save(file);
    EXPECT_EQ(second, EncodeSession(q.app));
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    // Through a link the file it points to is replaced; the link stays.
    fs::create_symlink(file, dir / "link.qlt");
    q.Run(100);
    Bytes third = q.Save(dir / "link.qlt");
    EXPECT_TRUE(fs::is_symlink(dir / "link.qlt"));
    EXPECT_EQ(ReadFile(file), third);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), fs::directory_iterator()), 2);
    EXPECT_GE(q.ui.waitCalls, 3);
    EXPECT_EQ(q.ui.waitDepth, 0);
}

TEST(SessionFile, LoadingRebuildsTheGridFromItsRecord)
{
    TempDir dir;
    Quilt a(QuiltKind::Square, 3, 20000, 40);
    Bytes f = a.Save(dir / "a.qlt");
    const std::uint16_t realMax = a.app.grid.maxCount;
    PutU16(f, kGridAt, 1);  // a maximum below the counts is raised by them
    WriteFile(dir / "a.qlt", f);

    Quilt b(QuiltKind::Square, 8, 60000, 200);
    ASSERT_GT(b.app.grid.CountAt(150, 150) + b.app.grid.CountAt(120, 30), 0);
    ASSERT_TRUE(b.app.LoadSession((dir / "a.qlt").string()));
    EXPECT_EQ(b.app.grid.width, 40);
    EXPECT_EQ(b.app.grid.maxCount, realMax);
    for (int x = 0; x < 40; ++x)
        for (int y = 0; y < 40; ++y) ASSERT_EQ(b.app.grid.CountAt(x, y), a.app.grid.CountAt(x, y)) << x << "," << y;
    // Counts of the earlier, wider grid are gone from the whole storage.
    EXPECT_EQ(b.app.grid.CountAt(150, 150), 0);
    EXPECT_EQ(b.app.grid.CountAt(120, 30), 0);
    double total = 0;
    for (int k = 0; k < 256; ++k) total += b.app.grid.histogram[k];
    EXPECT_NEAR(total, 1.0, 1e-9);
    EXPECT_GT(b.app.grid.histogram[255], 0.0);
}

TEST(SessionFile, SquareCoefficientsOutsideTheMatrixAreZeroInTheFileAndSkippedOnLoad)
{
    TempDir dir;
    Quilt a(QuiltKind::Square, 3, 100);
    a.app.maps.square.coefRows = a.app.maps.square.coefCols = 4;
    Bytes f = a.Save(dir / "a.qlt");
    for (int i = 0; i < 6; ++i) {
        for (int j = 0; j < 6; ++j) {
            double stored = GetF64(f, kSquareAt + 80 + 8 * (6 * i + j));
            if (i < 4 && j < 4)
                EXPECT_EQ(stored, a.app.maps.square.coef[i + 4 * j]);
            else
                EXPECT_EQ(stored, 0.0) << i << "," << j;
        }
    }

    Quilt full(QuiltKind::Square, 5, 100);
    Bytes g = full.Save(dir / "b.qlt");
    Quilt b(QuiltKind::Square, 8, 100);
    b.app.maps.square.coefRows = b.app.maps.square.coefCols = 4;
    for (int k = 16; k < 36; ++k) b.app.maps.square.coef[k] = 7.0;
    ASSERT_TRUE(b.app.LoadSession((dir / "b.qlt").string()));
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) EXPECT_EQ(b.app.maps.square.Coef(i, j), GetF64(g, kSquareAt + 80 + 8 * (6 * i + j)));
    for (int k = 16; k < 36; ++k) EXPECT_EQ(b.app.maps.square.coef[k], 7.0);
}

TEST(SessionFile, WildCornerTablesAreRebuiltFromTheStoredAnglesKeepingUnstoredAmplitudes)
{
    TempDir dir;
    Quilt a(QuiltKind::WildCorner, 3, 100, 30);
    a.app.maps.wildCorner.Randomize(7, 5, a.app.random);
    Bytes f = a.Save(dir / "a.qlt");

    Quilt b(QuiltKind::WildCorner, 8, 100);
    b.app.maps.wildCorner.Randomize(12, 11, b.app.random);
    const WildCornerMap before = b.app.maps.wildCorner;
    ASSERT_TRUE(b.app.LoadSession((dir / "a.qlt").string()));
    const WildCornerMap& got = b.app.maps.wildCorner;
    const WildCornerMap& want = a.app.maps.wildCorner;
    ASSERT_EQ(got.rowCount, 4);
    ASSERT_EQ(got.frequencies.GetSize(), 48);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(got.rotations[i], want.rotations[i]);
        for (int k = 0; k < 12; ++k) {
            EXPECT_EQ(got.frequencies[12 * i + k], want.frequencies[12 * i + k]);
            EXPECT_EQ(got.amplitudes[12 * i + k], k < 5 ? want.amplitudes[12 * i + k] : before.amplitudes[12 * i + k])
                << i << "," << k;
        }
    }

    // The angles come from the file, not from N.
    const std::size_t wc = WildCornerAt(30);
    PutF64(f, wc + 12, std::sin(0.5));
    PutF64(f, wc + 20, std::cos(0.5));
    PutF64(f, wc + 28, 0.5);
    WriteFile(dir / "b.qlt", f);
    ASSERT_TRUE(b.app.LoadSession((dir / "b.qlt").string()));
    EXPECT_EQ(got.cornerN, 7);
    EXPECT_DOUBLE_EQ(got.rotations[1].re, std::cos(-1.0));
    EXPECT_DOUBLE_EQ(got.basisW.im, 1.0 / std::sin(0.5));
}

TEST(SessionFile, AWildCornerMapNeverSetUpLoadsAsNeverSetUp)
{
    TempDir dir;
    Quilt a(QuiltKind::Square, 3, 100);
    ASSERT_EQ(a.app.maps.wildCorner.sinTheta, 0.0);
    Bytes f = a.Save(dir / "a.qlt");

    Quilt b(QuiltKind::WildCorner, 8, 100);
    ASSERT_TRUE(b.app.LoadSession((dir / "a.qlt").string()));
    EXPECT_EQ(b.Save(dir / "b.qlt"), f);
    // Such a map sends every point to the centre, as it did when saved.
    b.app.kindFlags.kindWildCorner = 1;
    b.Run(10);
    EXPECT_EQ(b.app.orbit.plotX, 0.5);
    EXPECT_EQ(b.app.orbit.plotY, 0.5);
}

TEST(SessionFile, CommittedSessionsOfEveryKindLoadAndSaveUnchanged)
{
    TempDir dir;
    const std::pair<const char*, QuiltKind> samples[] = {
        {"square", QuiltKind::Square},         {"hex", QuiltKind::Hex},
        {"4-6-12", QuiltKind::FourSixTwelve},  {"4-8-8", QuiltKind::FourEightEight},
        {"3-12-12", QuiltKind::ThreeTwelveTwelve}, {"wild-corner", QuiltKind::WildCorner}};
    for (const auto& [name, kind] : samples) {
        fs::path file = fs::path(TILVEX_TEST_DATA) / ("session-" + std::string(name) + ".qlt");
        Bytes stored = ReadFile(file);
        ASSERT_FALSE(stored.empty()) << file;
        // The Wild Corner sample predates the kind mark: its name makes it one, and it is saved marked.
        if (kind == QuiltKind::WildCorner) PutI32(stored, kReserved1At, 1);
        Quilt b(QuiltKind::FourSixTwelve, 8, 100);
        ASSERT_TRUE(b.app.LoadSession(file.string())) << name;
        EXPECT_EQ(b.app.Kind(), kind) << name;
        EXPECT_EQ(b.app.counters.iterationCount, 20001) << name;
        EXPECT_EQ(b.app.run.limitReached, 1) << name;
        EXPECT_EQ(b.Save(dir / "again.qlt"), stored) << name;
    }
}

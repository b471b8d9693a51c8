// Loads arbitrary bytes as a session file and takes an accepted one down every
// path a loaded file can take: a few thousand generation steps, the image for
// its kind, BMP, PCX and PNG export and the JSON state. Besides the
// sanitizers' checks: a refused file leaves the program exactly as it was, an
// accepted one saves to bytes that load again and save to the same bytes, and
// the JSON state is always written.
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/StateJson.h"
#include "engine/QuiltExport.h"
#include "engine/SessionFile.h"
#include "engine/TilvexApp.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr int kSteps = 4000;
// Larger images only cost time: every row goes through the same code.
constexpr long long kMaxExportPixels = 1 << 20;

class SilentInteraction : public tilvex::AcceptingInteraction {
public:
    void ShowMessage(const std::string&, tilvex::MessageIcon) override {}
};

tilvex::CTilvexApp& Program()
{
    static SilentInteraction ui;
    static tilvex::CTilvexApp* app = [] {
        auto* a = new tilvex::CTilvexApp(1.0);
        a->ui = &ui;
        if (!a->InitInstance(1ull << 32)) std::abort();
        return a;
    }();
    return *app;
}

const std::filesystem::path& ExportFolder()
{
    static const std::filesystem::path folder = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "session-fuzz-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) std::abort();
        return std::filesystem::path(pattern);
    }();
    return folder;
}

Bytes Snapshot(tilvex::CTilvexApp& app)
{
    Bytes s = tilvex::EncodeSession(app);
    auto add = [&s](const auto& v) {
        const auto* p = reinterpret_cast<const std::uint8_t*>(&v);
        s.insert(s.end(), p, p + sizeof v);
    };
    add(app.kindFlags.kindWildCorner);
    add(app.random.RandState());
    add(app.random.state0), add(app.random.state1), add(app.random.state2);
    for (int k = 0; k < 256; ++k) add(app.grid.histogram[k]);
    const tilvex::WildCornerMap& w = app.maps.wildCorner;
    for (int i = 0; i < w.amplitudes.GetSize(); ++i) add(w.amplitudes[i]);
    for (int i = 0; i < w.frequencies.GetSize(); ++i) add(w.frequencies[i]);
    return s;
}

[[noreturn]] void Fail(const char* what, const std::string& detail)
{
    std::fprintf(stderr, "session_fuzz: %s %s\n", what, detail.c_str());
    std::abort();
}

// Generation from the loaded state; a counter near the top of int keeps its
// loaded limit, so the loop's stop at the top is taken too.
void Generate(tilvex::CTilvexApp& app)
{
    if (app.counters.iterationCount < INT_MAX - kSteps)
        app.counters.maxIterations = app.counters.iterationCount + kSteps;
    for (int i = 0; i < kSteps && !app.run.limitReached; ++i) app.OnIdle();
}

void ExportImages(tilvex::CTilvexApp& app)
{
    tilvex::TileSize tile = app.CurrentTileSize();
    if (static_cast<long long>(tile.width) * tile.height > kMaxExportPixels) return;
    const std::pair<tilvex::ImageFormat, const char*> formats[] = {
        {tilvex::ImageFormat::Bmp, "q.bmp"}, {tilvex::ImageFormat::Pcx, "q.pcx"}, {tilvex::ImageFormat::Png, "q.png"}};
    for (const auto& [format, name] : formats)
        (void)tilvex::ExportQuiltImage(app, format, (ExportFolder() / name).string(), 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    tilvex::CTilvexApp& app = Program();
    Bytes before = Snapshot(app);
    if (auto refusal = tilvex::DecodeSession(app, data, size)) {
        if (Snapshot(app) != before) Fail("a refused load changed the program:", *refusal);
        return 0;
    }
    Bytes saved = tilvex::EncodeSession(app);
    if (auto refusal = tilvex::DecodeSession(app, saved.data(), saved.size()))
        Fail("the program refused its own session:", *refusal);
    if (tilvex::EncodeSession(app) != saved) Fail("save, load, save changed the bytes", "");

    (void)tilvex::cli::JsonText(tilvex::cli::StateJson(app));  // throws (and aborts) on bytes it cannot write
    Generate(app);
    app.BuildImage();
    ExportImages(app);
    return 0;
}

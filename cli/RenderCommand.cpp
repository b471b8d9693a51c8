#include "cli/RenderCommand.h"

#include <chrono>
#include <cstdio>
#include <iostream>

#include "cli/CliInteraction.h"
#include "cli/InfoCommand.h"
#include "cli/PaletteOption.h"
#include "cli/StateJson.h"
#include "engine/QuiltControl.h"
#include "maps/QuiltKindNames.h"
#include "engine/TilvexApp.h"
#include "engine/QuiltExport.h"

namespace tilvex::cli {

namespace {

class ProgressBar {
public:
    explicit ProgressBar(bool enabled) : enabled_(enabled) {}
    void Update(const CTilvexApp& app)
    {
        if (!enabled_) return;
        int percent = app.counters.maxIterations > 0
                          ? static_cast<int>(100.0 * app.counters.iterationCount /
                                             (static_cast<double>(app.counters.maxIterations) + 1))
                          : 100;
        if (percent == shown_) return;
        shown_ = percent;
        std::fprintf(stderr, "\r[%-50s] %3d%% %s", std::string(static_cast<std::size_t>(percent / 2), '#').c_str(),
                     percent, app.QuiltName().c_str());
        std::fflush(stderr);
    }
    void Finish()
    {
        if (enabled_) std::fputc('\n', stderr);
    }

private:
    bool enabled_;
    int shown_ = -1;
};

NewQuiltRequest RequestOf(const RenderOptions& o)
{
    NewQuiltRequest r;
    r.kind = *KindFromName(o.kind);
    r.detailed = o.detailed;
    r.depth = o.depth;
    r.knot = o.knot;
    r.cornerN = o.corner;
    r.gridWidth = o.grid;
    return r;
}

std::string Validate(const RenderOptions& o)
{
    if (!IsKindName(o.kind)) return "unknown --kind '" + o.kind + "'";
    if (o.seed && !IsAcceptedSeed(*o.seed)) return "--seed must be a whole number between 0 and 4294967295";
    // Before start-up, which may lower the capacity; the width is clamped to it then.
    if (o.grid && (*o.grid < 20 || *o.grid > kDefaultMaxGridSize - 1))
        return "--grid must be between 20 and " + std::to_string(kDefaultMaxGridSize - 1);
    if (o.maxIterations && (*o.maxIterations < 1 || *o.maxIterations > 1000000000))
        return "--max-iterations must be between 1 and 1000000000";
    if (o.depth) {
        bool hexKind = o.kind == "hex";
        int lo = hexKind ? 4 : 3, hi = hexKind ? 11 : 6;
        if (*o.depth < lo || *o.depth > hi)
            return "--depth must be between " + std::to_string(lo) + " and " + std::to_string(hi) + " for this kind";
    }
    if (o.knot && o.kind != "hex") return "--knot needs --kind hex";
    if (o.corner && o.kind != "wild-corner") return "--corner needs --kind wild-corner";
    if (o.corner && (*o.corner < 3 || *o.corner > 42)) return "--corner must be between 3 and 42";
    if (o.period < 1 || o.period > 32) return "--period must be between 1 and 32";
    if (std::string error; !ParsePaletteChoice(o.palette, error)) return error;
    return {};
}

}  // namespace

std::string ValidateQuiltOptions(const RenderOptions& o) { return Validate(o); }

bool GenerateQuilt(CTilvexApp& app, const RenderOptions& o, RunFigures& figures)
{
    if (!app.InitInstance(AvailablePhysicalMemory())) return false;

    if (!o.load.empty()) {
        if (!app.LoadSession(o.load)) return false;
    } else {
        NewQuilt(app, RequestOf(o));
    }
    if (o.maxIterations) SetIterationLimit(app, *o.maxIterations);

    ProgressBar progress(o.progress);
    auto start = std::chrono::steady_clock::now();
    int restartsBefore = app.counters.restarts;
    long long steps = RunToLimit(app, {}, [&progress](const CTilvexApp& state) { progress.Update(state); });
    figures.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    progress.Finish();
    figures.steps = steps;
    figures.restarts = app.counters.restarts - restartsBefore;
    return true;
}

namespace {

int RunRender(const RenderOptions& o)
{
    if (std::string problem = Validate(o); !problem.empty()) {
        std::cerr << "tilvex-cli render: " << problem << "\n";
        return 2;
    }
    CTilvexApp app(o.seed);
    CliInteraction user;
    ScopedInteraction atTheTerminal(app, user);
    RunFigures run;
    if (!GenerateQuilt(app, o, run)) return 1;
    const double seconds = run.seconds;
    const long long steps = run.steps;

    std::string unused;
    ApplyPaletteChoice(app, *ParsePaletteChoice(o.palette, unused));  // validated above
    const std::pair<const std::string*, ImageFormat> exports[] = {
        {&o.bmp, ImageFormat::Bmp}, {&o.pcx, ImageFormat::Pcx}, {&o.png, ImageFormat::Png}};
    for (const auto& [path, format] : exports) {
        if (path->empty()) continue;
        if (std::string error = ExportQuiltImage(app, format, *path, o.period); !error.empty()) {
            std::cerr << "tilvex-cli render: " << error << "\n";
            return 1;
        }
    }
    if (!o.save.empty() && !app.SaveSession(o.save)) return 1;

    nlohmann::ordered_json j = StateJson(app);
    j["restarts"] = run.restarts;
    j["seconds"] = seconds;
    j["stepsPerSecond"] = seconds > 0 ? static_cast<double>(steps) / seconds : 0.0;
    std::cout << JsonText(j) << "\n";
    return 0;
}

}  // namespace

void AddQuiltOptions(CLI::App* command, RenderOptions& o)
{
    command->add_option("--seed", o.seed, "Seed the random source with this number instead of the clock");
    auto* kind = command->add_option("--kind", o.kind, "square, hex, 4-6-12, 4-8-8, 3-12-12 or wild-corner");
    auto* grid = command->add_option("--grid", o.grid, "Grid width in cells (20 ... capacity - 1)");
    command->add_option("--max-iterations", o.maxIterations, "Iteration limit (default 3500000)");
    auto* detailed = command->add_flag("--detailed", o.detailed, "Use the detailed form of the square or hex map");
    auto* depth = command->add_option("--depth", o.depth, "Detail depth (square 3-6, hex 4-11)");
    auto* knot = command->add_flag("--knot", o.knot, "Hex quilt with the knot effect");
    auto* corner = command->add_option("--corner", o.corner, "Wild Corner N value (3-42)");
    auto* load = command->add_option("--load", o.load, "Continue a saved session (.qlt) instead of a new quilt");
    command->add_flag("--progress", o.progress, "Show a progress bar on stderr");
    for (auto* opt : {kind, grid, detailed, depth, knot, corner}) load->excludes(opt);
}

void AddRenderCommand(CLI::App& cli, RenderOptions& o)
{
    CLI::App* render = cli.add_subcommand("render", "Generate a quilt up to its iteration limit and report its state");
    AddQuiltOptions(render, o);
    render->add_option("--period", o.period, "Tiles per image side for exported images (default 1)");
    render->add_option("--bmp", o.bmp, "Write the quilt as an 8-bit BMP file");
    render->add_option("--pcx", o.pcx, "Write the quilt as a 256-colour PCX file");
    render->add_option("--png", o.png, "Write the quilt as a PNG file");
    render->add_option("--save", o.save, "Save the session (.qlt) when done");
    render->add_option("--palette", o.palette,
                       "Palette after generating: start, random, density or cycle:R,G,B:R,G,B:CYCLES");
}

void AddInfoCommand(CLI::App& cli, InfoOptions& o)
{
    CLI::App* info = cli.add_subcommand("info", "Print the state of a saved session as JSON");
    info->add_option("file", o.path, "Session file (.qlt)")->required();
}

int RunSelected(CLI::App& cli, const RenderOptions& render, const InfoOptions& info)
{
    if (cli.got_subcommand("render")) return RunRender(render);
    if (cli.got_subcommand("info")) return RunInfo(info.path);
    return 2;
}

}  // namespace tilvex::cli

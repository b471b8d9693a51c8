#include "cli/QuiltOptions.h"

#include <chrono>
#include <cstdlib>
#include <iostream>

#include "cli/ProgressPrinter.h"
#include "core/RandomSource.h"
#include "engine/TilvexApp.h"
#include "maps/QuiltKindNames.h"

namespace tilvex::cli {

namespace {

// NAME=VALUE; the value is any number strtod reads whole (inf and nan too:
// the table refuses them naming the range).
std::optional<ParameterAssignment> ParseAssignment(const std::string& text)
{
    const std::size_t eq = text.find('=');
    if (eq == std::string::npos || eq == 0 || eq + 1 == text.size()) return std::nullopt;
    const std::string value = text.substr(eq + 1);
    char* end = nullptr;
    const double number = std::strtod(value.c_str(), &end);
    if (end != value.c_str() + value.size()) return std::nullopt;
    return ParameterAssignment{text.substr(0, eq), number};
}

}  // namespace

std::string KindList()
{
    std::string list;
    for (const std::string& name : KindNames()) list += (list.empty() ? "" : ", ") + name;
    return list;
}

void QuiltOptions::Add(CLI::App* command)
{
    command
        ->add_option("--seed", seed,
                     "Seed of the random source, a whole number 0-4294967295 (default: drawn from the clock and "
                     "reported as \"seed\"); with --load it seeds what is drawn after loading")
        ->type_name("UINT");
    auto* kindOption = command->add_option("--kind", kind, "Quilt kind: " + KindList() + " (default square)");
    auto* gridOption = command->add_option("--grid", grid, "Grid width in cells (20 ... capacity - 1)");
    command->add_option("--max-iterations", maxIterations, "Iteration limit, 1-1000000000 (default 3500000)");
    auto* detailedOption =
        command->add_flag("--detailed", detailed, "Use the detailed form of the map (--kind square or hex)");
    auto* depthOption = command->add_option("--depth", depth, "Detail depth with --detailed (square 3-6, hex 4-11)");
    auto* knotOption = command->add_flag("--knot", knot, "Hex quilt with the knot effect");
    auto* cornerOption = command->add_option("--corner", corner, "Wild Corner N value (3-42)");
    auto* loadOption = command->add_option("--load", load, "Continue a saved session (.qlt) instead of a new quilt");
    command->add_option("--param", params,
                        "Set a coefficient by name after the quilt is set up: NAME=VALUE (repeatable; "
                        "tilvex-cli params lists the names)");
    for (auto* opt : {kindOption, gridOption, detailedOption, depthOption, knotOption, cornerOption})
        loadOption->excludes(opt);
}

std::string QuiltOptions::Validate() const
{
    if (!IsKindName(kind)) return "unknown --kind '" + kind + "'; use one of " + KindList();
    if (seed && !IsAcceptedSeed(*seed)) return "--seed must be a whole number between 0 and 4294967295";
    // Before start-up, which may lower the capacity; the width is clamped to it then.
    if (grid && (*grid < 20 || *grid > kDefaultMaxGridSize - 1))
        return "--grid must be between 20 and " + std::to_string(kDefaultMaxGridSize - 1);
    if (maxIterations && (*maxIterations < 1 || *maxIterations > 1000000000))
        return "--max-iterations must be between 1 and 1000000000";
    if (detailed && kind != "square" && kind != "hex") return "--detailed needs --kind square or hex";
    if (depth) {
        if (!detailed) return "--depth needs --detailed";
        bool hexKind = kind == "hex";
        int lo = hexKind ? 4 : 3, hi = hexKind ? 11 : 6;
        if (*depth < lo || *depth > hi)
            return "--depth must be between " + std::to_string(lo) + " and " + std::to_string(hi) + " for this kind";
    }
    if (knot && kind != "hex") return "--knot needs --kind hex";
    if (corner && kind != "wild-corner") return "--corner needs --kind wild-corner";
    if (corner && (*corner < 3 || *corner > 42)) return "--corner must be between 3 and 42";
    for (const std::string& p : params)
        if (!ParseAssignment(p)) return "--param '" + p + "' is not NAME=VALUE with a number for VALUE";
    return {};
}

std::vector<ParameterAssignment> QuiltOptions::Assignments() const
{
    std::vector<ParameterAssignment> list;
    for (const std::string& p : params) list.push_back(*ParseAssignment(p));
    return list;
}
double QuiltOptions::DrawSeed() const { return seed ? *seed : ClockSeed(); }

NewQuiltRequest QuiltOptions::Request() const
{
    NewQuiltRequest r;
    r.kind = *KindFromName(kind);
    r.detailed = detailed;
    r.depth = depth;
    r.knot = knot;
    r.cornerN = corner;
    r.gridWidth = grid;
    return r;
}

int SetUpQuilt(CTilvexApp& app, const QuiltOptions& o, const std::string& who, std::ostream& errors)
{
    if (!app.InitInstance(AvailablePhysicalMemory())) return 1;
    if (!o.load.empty()) {
        if (!app.LoadSession(o.load)) return 1;
    } else {
        NewQuilt(app, o.Request());
    }
    if (!o.params.empty()) {
        const std::vector<ParameterAssignment> assignments = o.Assignments();
        if (std::string problem = ApplyParameters(app, assignments); !problem.empty()) {
            errors << who << ": --param: " << problem << "\n";
            return 2;
        }
    }
    if (o.maxIterations) SetIterationLimit(app, *o.maxIterations);
    return 0;
}

RunFigures GenerateToLimit(CTilvexApp& app, ProgressPrinter& progress)
{
    RunFigures figures;
    auto start = std::chrono::steady_clock::now();
    int restartsBefore = app.counters.restarts;
    figures.steps = RunToLimit(app, {}, [&progress](const CTilvexApp& state) {
        const double limit = static_cast<double>(state.counters.maxIterations);
        progress.Show(limit > 0 ? state.counters.iterationCount / (limit + 1) : 1.0, state.QuiltName());
    });
    figures.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    progress.Finish();
    figures.restarts = app.counters.restarts - restartsBefore;
    return figures;
}

}  // namespace tilvex::cli

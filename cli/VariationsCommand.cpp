#include "cli/VariationsCommand.h"

#include <chrono>
#include <iostream>

#include <nlohmann/json.hpp>

#include "cli/CliInteraction.h"
#include "cli/GalleryFolder.h"
#include "cli/ProgressPrinter.h"
#include "cli/StateJson.h"
#include "core/RandomSource.h"
#include "engine/QuiltControl.h"
#include "engine/SessionFile.h"
#include "explore/Variations.h"

namespace tilvex::cli {

CLI::App* VariationsCommand::Add(CLI::App& program)
{
    CLI::App* variations = program.add_subcommand(
        "variations", "Quilts around a saved one: sessions, thumbnails, index.json and a contact sheet");
    variations->add_option("--load", load, "The session (.qlt) to vary")->required();
    variations->add_option("--out", out, "Folder to write (made if missing)")->required();
    variations->add_option("--count", count, "Number of variations (1-64, default 8)");
    variations->add_option("--spread", spread, "How far each coefficient may move, as a share of its range (0-1, default 0.1)");
    variations->add_option("--seed", seed, "Seed of the variations (default: the clock)");
    variations->add_option("--max-iterations", maxIterations,
                           "Iterations each variation grows (default " + std::to_string(kDefaultVariationIterations) +
                               ")");
    variations->add_option("--thumb", thumb, "Thumbnail width in pixels (default 160)");
    auto* overwriteFlag =
        variations->add_flag("--overwrite", overwrite, "Replace a gallery the folder holds already, its files included");
    variations->add_flag("--add", add, "Add to a gallery the folder holds already; its quilts stay in index.json")
        ->excludes(overwriteFlag);
    run.AddThreads(variations);
    run.AddProgress(variations);
    return variations;
}

std::string VariationsCommand::Validate() const
{
    if (count < 1 || count > 64) return "--count must be between 1 and 64";
    if (!(spread > 0.0 && spread <= 1.0)) return "--spread must be above 0 and at most 1";
    if (seed && !IsAcceptedSeed(*seed)) return "--seed must be a whole number between 0 and 4294967295";
    if (maxIterations && (*maxIterations < 1000 || *maxIterations > 1000000000))
        return "--max-iterations must be between 1000 and 1000000000";
    if (thumb < 16 || thumb > 2048) return "--thumb must be between 16 and 2048";
    return run.Validate();
}

int VariationsCommand::Run()
{
    if (std::string problem = Validate(); !problem.empty()) {
        std::cerr << "tilvex-cli variations: " << problem << "\n";
        return 2;
    }
    VariationRequest request;
    {
        CTilvexApp centre(1.0);
        CliInteraction user;
        ScopedInteraction atTheTerminal(centre, user);
        if (!centre.InitInstance(AvailablePhysicalMemory()) || !centre.LoadSession(load)) return 1;
        request.centre = EncodeSession(centre);
    }
    request.count = count;
    request.spread = spread;
    request.seed = seed ? *seed : ClockSeed();
    request.maxIterations = maxIterations.value_or(kDefaultVariationIterations);
    request.thumbWidth = thumb;
    request.threads = run.threads;

    GalleryFolder folder;
    const EarlierGallery earlier = EarlierGalleryFrom(overwrite, add);
    if (FolderProblem problem = folder.Open(out, earlier); problem.status != 0) {
        std::cerr << "tilvex-cli variations: " << problem.message << "\n";
        return problem.status;
    }
    GalleryRequest written;
    written.thumbWidth = thumb;
    written.threads = run.threads;

    const auto start = std::chrono::steady_clock::now();
    ProgressPrinter progress(run.progress, "variations");
    int done = 0;
    std::string stageError;
    std::optional<std::vector<GalleryEntry>> entries = MakeVariations(request, [&](const GalleryEntry& e) {
        if (stageError.empty()) stageError = folder.Stage(e, written);
        progress.Show(static_cast<double>(++done) / count, e.quilt.name);
    });
    progress.Finish();
    if (!entries || !stageError.empty()) {
        std::cerr << "tilvex-cli variations: " << (stageError.empty() ? "not enough memory to start a quilt" : stageError)
                  << "\n";
        return 1;
    }
    std::vector<GalleryRecord> records;
    for (const GalleryEntry& e : *entries) records.push_back(RecordOf(e));
    const std::string error = folder.Commit(records, written, [](const GalleryRecord&, const std::string& session) {
        return "tilvex-cli render --load " + session;
    });
    if (!error.empty()) {
        std::cerr << "tilvex-cli variations: " << error << "\n";
        return 1;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    nlohmann::ordered_json j;
    j["count"] = entries->size();
    j["requested"] = count;
    j["seed"] = request.seed;
    j["seconds"] = seconds;
    std::cout << JsonText(j) << "\n";
    return 0;
}

}  // namespace tilvex::cli

#include "cli/GalleryCommand.h"

#include <chrono>
#include <iostream>
#include <mutex>
#include <stop_token>

#include <nlohmann/json.hpp>

#include "cli/GalleryFolder.h"
#include "cli/ProgressPrinter.h"
#include "cli/QuiltOptions.h"
#include "cli/StateJson.h"
#include "core/RandomSource.h"
#include "maps/QuiltKindNames.h"

namespace tilvex::cli {

CLI::App* GalleryCommand::Add(CLI::App& program)
{
    CLI::App* gallery = program.add_subcommand(
        "gallery", "Make many random quilts, best first: sessions, thumbnails, index.json and a contact sheet");
    gallery->add_option("--out", out, "Folder to write (made if missing)")->required();
    gallery->add_option("--count", count, "Number of quilts, 1-10000 (default 24)");
    gallery->add_option("--kind", kind, "Quilt kind: any or " + KindList() + " (default any: each in turn)");
    gallery
        ->add_option("--seed", seed,
                     "Seed of the first quilt, a whole number; quilt i has seed + i (default: the clock)")
        ->type_name("UINT");
    gallery->add_option("--max-iterations", maxIterations,
                        "Iteration limit of each quilt, 1-1000000000 (default " +
                            std::to_string(kDefaultGalleryIterations) + ")");
    gallery->add_option("--thumb", thumb,
                        "Thumbnail size: pixels on its longer side, " + std::to_string(kMinThumbSize) + "-" +
                            std::to_string(kMaxThumbSize) + " (default 160)");
    auto* overwriteFlag =
        gallery->add_flag("--overwrite", overwrite, "Replace a gallery the folder holds already, its files included");
    gallery->add_flag("--add", add, "Add to a gallery the folder holds already; its quilts stay in index.json")
        ->excludes(overwriteFlag);
    run.AddThreads(gallery);
    gallery->add_flag("--progress", run.progress, "Show progress on stderr");
    return gallery;
}

std::string GalleryCommand::Validate() const
{
    if (kind != kAnyKind && !IsKindName(kind)) return "unknown --kind '" + kind + "'; use one of any, " + KindList();
    if (count < 1 || count > 10000) return "--count must be between 1 and 10000";
    // Every quilt's seed must be one render accepts.
    if (seed && (!IsAcceptedSeed(*seed) || !IsAcceptedSeed(*seed + count - 1)))
        return "--seed must be a whole number between 0 and 4294967295 minus the count";
    if (maxIterations && (*maxIterations < 1 || *maxIterations > 1000000000))
        return "--max-iterations must be between 1 and 1000000000";
    if (thumb < kMinThumbSize || thumb > kMaxThumbSize)
        return "--thumb must be between " + std::to_string(kMinThumbSize) + " and " + std::to_string(kMaxThumbSize);
    return run.Validate();
}

GalleryRequest GalleryCommand::Request() const
{
    GalleryRequest request;
    request.count = count;
    request.kind = kind;
    request.baseSeed = seed ? *seed : ClockSeed();
    request.maxIterations = maxIterations.value_or(kDefaultGalleryIterations);
    request.thumbWidth = thumb;
    request.threads = run.threads;
    return request;
}

int GalleryCommand::Run()
{
    if (std::string problem = Validate(); !problem.empty()) {
        std::cerr << "tilvex-cli gallery: " << problem << "\n";
        return 2;
    }
    GalleryFolder folder;
    const EarlierGallery earlier = EarlierGalleryFrom(overwrite, add);
    if (FolderProblem problem = folder.Open(out, earlier); problem.status != 0) {
        std::cerr << "tilvex-cli gallery: " << problem.message << "\n";
        return problem.status;
    }
    const GalleryRequest request = Request();
    auto start = std::chrono::steady_clock::now();
    int done = 0;
    std::mutex lock;
    std::string stageError;
    std::stop_source stop;
    ProgressPrinter progress(run.progress, "gallery");
    // Each quilt's files are written as it is done, on its own thread: memory holds only the quilts in flight.
    auto onEntry = [&](const GalleryEntry& entry) {
        std::string error = folder.Stage(entry, request);
        std::lock_guard hold(lock);
        if (!error.empty()) {
            if (stageError.empty()) stageError = error;
            stop.request_stop();
            return;
        }
        ++done;
        progress.Show(static_cast<double>(done) / count, std::to_string(done) + "/" + std::to_string(count) + " " +
                                                             entry.quilt.name);
    };
    std::optional<std::vector<GalleryRecord>> records = MakeGallery(request, onEntry, stop.get_token());
    progress.Finish();
    if (!records) {
        std::cerr << "tilvex-cli gallery: " << (stageError.empty() ? "not enough memory to start a quilt" : stageError)
                  << "\n";
        return 1;
    }
    if (std::string error = folder.Commit(*records, request); !error.empty()) {
        std::cerr << "tilvex-cli gallery: " << error << "\n";
        return 1;
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    nlohmann::ordered_json j;
    j["count"] = count;
    j["seconds"] = seconds;
    j["quiltsPerSecond"] = seconds > 0 ? count / seconds : 0.0;
    j["threads"] = GalleryThreads(request);
    std::cout << JsonText(j) << "\n";
    return 0;
}

}  // namespace tilvex::cli

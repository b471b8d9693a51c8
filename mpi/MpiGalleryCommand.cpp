#include "mpi/MpiGalleryCommand.h"

#include <chrono>
#include <iostream>

#include <nlohmann/json.hpp>

#include "cli/GalleryFolder.h"
#include "cli/ProgressPrinter.h"
#include "cli/StateJson.h"
#include "cluster/ClusterGallery.h"
#include "cluster/Deal.h"
#include "mpi/RankReport.h"

namespace tilvex::mpi {

CLI::App* MpiGalleryCommand::Add(CLI::App& program)
{
    CLI::App* gallery = options_.Add(program);
    gallery->description("Make many random quilts on every rank of the job, best first: sessions, thumbnails, "
                         "index.json and a contact sheet");
    return gallery;
}

int MpiGalleryCommand::Run()
{
    const bool leads = cluster_.Leads();
    if (RefusedByLeader(cluster_, "gallery", leads ? options_.Validate() : std::string())) return 2;
    // The folder is rank 0's: an earlier gallery there is refused before any work unless --overwrite or --add.
    cli::GalleryFolder folder;
    cli::FolderProblem opened;
    if (leads) {
        const cli::EarlierGallery earlier = cli::EarlierGalleryFrom(options_.overwrite, options_.add);
        opened = folder.Open(options_.out, earlier);
    }
    if (const int status = cluster_.Broadcast(opened.status); status != 0) {
        if (leads) std::cerr << "tilvex-mpi gallery: " << opened.message << "\n";
        return status;
    }
    GalleryRequest request = options_.Request();
    request.baseSeed = cluster_.Broadcast(request.baseSeed);  // rank 0's clock, when not given

    const auto start = std::chrono::steady_clock::now();
    const auto mine = static_cast<int>(cluster::DealtItems(request.count, cluster_.Rank(), cluster_.Ranks()).size());
    int done = 0;
    cli::ProgressPrinter progress(leads && options_.run.progress, "gallery");
    auto onEntry = [&](const GalleryEntry& entry) {
        ++done;
        progress.Show(static_cast<double>(done) / mine,
                      std::to_string(done) + "/" + std::to_string(mine) + " " + entry.quilt.name);
    };
    // Rank 0 stages each quilt's files as it comes and keeps only its record.
    const cluster::ClusterGalleryOutcome outcome = cluster::MakeGalleryOnCluster(
        cluster_, request, onEntry, [&](const GalleryEntry& entry) { return folder.Stage(entry, request); });
    progress.Finish();
    if (ReportFailures(cluster_, "gallery", outcome.failures)) return 1;
    std::string error;
    if (leads) error = outcome.keepError.empty() ? folder.Commit(outcome.bestFirst, request) : outcome.keepError;
    if (!(error = cluster_.Broadcast(error)).empty()) {
        if (leads) std::cerr << "tilvex-mpi gallery: " << error << "\n";
        return 1;
    }
    if (!leads) return 0;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    nlohmann::ordered_json j;
    j["count"] = request.count;
    j["seconds"] = seconds;
    j["quiltsPerSecond"] = seconds > 0 ? request.count / seconds : 0.0;
    j["ranks"] = cluster_.Ranks();
    j["threads"] = GalleryThreads(request);
    std::cout << cli::JsonText(j) << "\n";
    return 0;
}

}  // namespace tilvex::mpi

#include "mpi/MpiStudioCommand.h"

#include <chrono>
#include <iostream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "cli/ProgressPrinter.h"
#include "cli/StateJson.h"
#include "cluster/ClusterStudio.h"
#include "core/OutputPath.h"
#include "core/RandomSource.h"
#include "engine/SessionFile.h"
#include "engine/TilvexApp.h"
#include "mpi/RankReport.h"
#include "studio/TileGeometry.h"

namespace tilvex::mpi {

CLI::App* MpiStudioCommand::Add(CLI::App& program)
{
    CLI::App* studio = options_.Add(program);
    studio->description("Render a large, smooth, true-colour tile of a quilt on every rank of the job (PNG)");
    return studio;
}

int MpiStudioCommand::Run()
{
    const bool leads = cluster_.Leads();
    const std::string validated = leads ? options_.Validate() : std::string();
    if (RefusedByLeader(cluster_, "studio", validated)) return 2;
    // Rank 0 writes the files: a name it cannot write is refused before any rank works.
    std::string unwritable;
    if (leads) {
        unwritable = options_.look.SaveLook();
        for (const auto& [path, kind] : {std::pair{&options_.png, OutputKind::FileOrDevice},
                                         std::pair{&options_.exr, OutputKind::WholeFile},
                                         std::pair{&options_.save, OutputKind::WholeFile}})
            if (unwritable.empty() && !path->empty()) unwritable = CheckOutputFile(*path, kind);
    }
    if (!cluster_.Broadcast(unwritable).empty()) {
        if (leads) std::cerr << "tilvex-mpi studio: " << unwritable << "\n";
        return 1;
    }
    if (options_.png.empty() && options_.exr.empty()) return 0;  // a look saved, no picture asked for
    // Every rank makes the quilt itself, from rank 0's seed.
    cli::QuiltOptions quilt = options_.quilt;
    quilt.seed = cluster_.Broadcast(quilt.seed ? *quilt.seed : ClockSeed());
    CTilvexApp app(quilt.seed);
    AcceptingInteraction user;
    ScopedInteraction told(app, user);
    // Every rank sets up the same quilt: a refused --param is refused everywhere, and said once.
    std::ostringstream elsewhere;
    const int setUp = cli::SetUpQuilt(app, quilt, "tilvex-mpi studio", leads ? std::cerr : elsewhere);
    if (setUp == 2) return 2;
    if (ReportFailures(cluster_, "studio", cluster_.Agree(setUp == 0 ? "" : Said(user, "could not set up the quilt"))))
        return 1;
    // The same quilt everywhere, so every rank comes to the same answer.
    if (std::string tooLarge = studio::CheckPictureSize(*app.TakeSnapshot(), options_.sampling.size, options_.period);
        !tooLarge.empty()) {
        if (leads) std::cerr << "tilvex-mpi studio: " << tooLarge << "\n";
        return 2;
    }
    {
        cli::ProgressPrinter quiltProgress(leads && options_.run.progress);
        cli::GenerateToLimit(app, quiltProgress);
    }

    cluster::ClusterStudioRequest request{app.TakeSnapshot(), options_.sampling.ToRenderSettings(), options_.look.Look(),
                                          options_.run.threads, {}};
    request.files.png = options_.png;
    request.files.exr = options_.exr;
    request.files.period = options_.period;
    request.files.dpi = options_.dpi;
    if (leads) request.files.session = EncodeSession(app);
    // Saved after the snapshot (saving takes the grid's floor off) and before the picture, as tilvex-cli studio
    // does: a stopped render keeps the quilt.
    if (cluster_.Broadcast(leads && !options_.save.empty() && !app.SaveSession(options_.save) ? 1 : 0) != 0) return 1;
    const auto start = std::chrono::steady_clock::now();
    cli::ProgressPrinter progress(leads && options_.run.progress, "studio");
    const cluster::ClusterStudioOutcome outcome =
        cluster::RenderStudioOnCluster(cluster_, request, [&progress](RenderStage stage, double done) {
            if (stage == RenderStage::Sampling) progress.Show(done);
        });
    progress.Finish();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (ReportFailures(cluster_, "studio", outcome.failures)) return 1;
    if (!outcome.writeError.empty()) {
        if (leads) std::cerr << "tilvex-mpi studio: " << outcome.writeError << "\n";
        return 1;
    }
    if (!leads) return 0;

    nlohmann::ordered_json j;
    j["kind"] = KindName(request.quilt->kind);
    j["quiltName"] = request.quilt->quiltName;
    j["seed"] = cli::SeedJson(*quilt.seed);
    j["width"] = outcome.width;
    j["height"] = outcome.height;
    j["samples"] = outcome.samples;
    j["ranks"] = cluster_.Ranks();
    j["threads"] = outcome.threads;
    j["chunks"] = outcome.chunks;
    j["simd"] = studio::SimdPathName(outcome.path);
    j["seconds"] = seconds;
    j["samplesPerSecond"] = seconds > 0 ? static_cast<double>(outcome.samples) / seconds : 0.0;
    j["sampleSeconds"] = outcome.sampleSeconds;
    j["reduceSeconds"] = outcome.reduceSeconds;
    j["developSeconds"] = outcome.developSeconds;
    j["colormap"] = request.look.gradient.empty() ? request.look.colormap : "gradient";
    std::cout << cli::JsonText(j) << "\n";
    return 0;
}

}  // namespace tilvex::mpi

#include "mpi/MpiAnimateCommand.h"

#include <iostream>
#include <sstream>

#include "cli/ProgressPrinter.h"
#include "cli/StateJson.h"
#include "cluster/ClusterAnimate.h"
#include "mpi/RankReport.h"

namespace tilvex::mpi {

CLI::App* MpiAnimateCommand::Add(CLI::App& program)
{
    CLI::App* animate = options_.Add(program);
    animate->description("A clip of quilts morphing from key to key, or of one quilt growing, its frames rendered "
                         "on every rank of the job: MP4, WebM or PNG frames");
    return animate;
}

int MpiAnimateCommand::Run()
{
    const bool leads = cluster_.Leads();
    if (RefusedByLeader(cluster_, "animate", leads ? options_.Validate() : std::string())) return 2;
    // Every rank reads the keys and looks itself; what rank 0 refuses is said
    // once, a key only another rank cannot read names that rank.
    std::ostringstream said;
    int status = 0;
    std::optional<motion::Clip> clip = options_.MakeClip("tilvex-mpi animate", said, status);
    if (const int leaderStatus = cluster_.Broadcast(status); leaderStatus != 0) {
        if (leads) std::cerr << said.str();
        return leaderStatus;
    }
    std::string failure = said.str();
    if (!failure.empty() && failure.back() == '\n') failure.pop_back();
    if (ReportFailures(cluster_, "animate", cluster_.Agree(failure))) return 1;

    cli::ProgressPrinter progress(leads && options_.run.progress, "animate");
    const int frames = clip->Frames();
    const cluster::ClusterClipOutcome outcome =
        cluster::WriteClipOnCluster(cluster_, *clip, options_.out, options_.run.threads, [&](double done, int frame) {
            progress.Show(done, frame < 0 ? std::string("exposure")
                                          : "frame " + std::to_string(frame + 1) + "/" + std::to_string(frames));
        });
    progress.Finish();
    if (ReportFailures(cluster_, "animate", outcome.failures)) return 1;
    if (!outcome.report.error.empty()) {
        if (leads) std::cerr << "tilvex-mpi animate: " << outcome.report.error << "\n";
        return 1;
    }
    if (!leads) return 0;
    nlohmann::ordered_json j = options_.Summary(*clip, outcome.report);
    j["ranks"] = cluster_.Ranks();
    std::cout << cli::JsonText(j) << "\n";
    return 0;
}

}  // namespace tilvex::mpi

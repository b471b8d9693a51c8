#include "cluster/ClusterStudio.h"

#include <chrono>
#include <exception>
#include <new>
#include <optional>

#include "cluster/Deal.h"
#include "cluster/DevelopOnRanks.h"
#include "cluster/SumDensity.h"

namespace tilvex::cluster {

namespace {

// Every path draws the same picture, so each rank takes its own widest one
// (auto), and only a path asked for by name must be there on every node.
std::string CheckPath(const studio::RenderSettings& renderSpec)
{
    if (studio::SimdSupported(renderSpec.simd)) return {};
    return std::string("this processor lacks the vector path ") + studio::SimdPathName(renderSpec.simd) +
           "; give --simd auto or a path every node has";
}

}  // namespace

ClusterStudioOutcome RenderStudioOnCluster(const Cluster& cluster, const ClusterStudioRequest& request,
                                           const RenderProgress& progress)
{
    ClusterStudioOutcome outcome;
    const auto start = std::chrono::steady_clock::now();
    auto since = [](std::chrono::steady_clock::time_point t) {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
    };
    const studio::RenderSettings& renderSpec = request.renderSpec;
    std::string failure = CheckPath(renderSpec);

    std::optional<RenderJob> job;
    if (failure.empty()) {
        try {
            job.emplace(request.quilt, renderSpec, request.look, request.threads);
            const Share share = ShareOf(job->Chunks(), cluster.Rank(), cluster.Ranks());
            job->TakeShare(share.first, share.count);
            job->SampleTo(job->Budget(), {}, cluster.Leads() ? progress : RenderProgress{});
        } catch (const std::bad_alloc&) {
            failure = "not enough memory for the studio's density buffer";
        } catch (const std::exception& e) {
            failure = e.what();
        }
    }
    outcome.failures = cluster.Agree(failure);
    if (!outcome.failures.empty()) return outcome;
    outcome.sampleSeconds = since(start);

    const auto reduced = std::chrono::steady_clock::now();
    SumDensity(cluster, *job);
    outcome.reduceSeconds = since(reduced);
    outcome.samples = cluster.SumOnLeader(job->Samples());
    const auto developing = std::chrono::steady_clock::now();
    DevelopOutcome developed = DevelopOnRanks(cluster, *job, request.files, progress);
    outcome.developSeconds = since(developing);
    outcome.failures = std::move(developed.failures);
    outcome.writeError = std::move(developed.writeError);
    if (cluster.Leads()) {
        outcome.width = job->Width() * request.files.period;
        outcome.height = job->Height() * request.files.period;
        outcome.threads = job->Threads();
        outcome.chunks = job->Chunks();
        outcome.path = job->Path();
    }
    return outcome;
}

}  // namespace tilvex::cluster

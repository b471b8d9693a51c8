#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "cluster/Cluster.h"
#include "engine/RenderJob.h"

namespace tilvex::cluster {

// A studio picture of one quilt, its work spread over the ranks. Every rank
// passes the same quilt and settings.
struct ClusterStudioRequest {
    std::shared_ptr<const QuiltSnapshot> quilt;
    studio::RenderSettings renderSpec;
    studio::Look look;
    int threads = 0;  // each rank's; 0: every core it has
    RenderJob::Outputs files;  // written by rank 0
};

struct ClusterStudioOutcome {
    std::vector<RankFailure> failures;  // ranks whose share failed: nothing was written
    std::string writeError;             // rank 0's, when the picture could not be written
    // The figures, on rank 0.
    int width = 0, height = 0, threads = 0, chunks = 0;
    studio::SimdPath path = studio::SimdPath::Scalar;
    std::uint64_t samples = 0;   // of every rank
    double sampleSeconds = 0.0;  // until every rank had sampled its share
    double reduceSeconds = 0.0;  // summing the densities on every rank
    double developSeconds = 0.0; // developing in bands and writing
};

// Each rank samples its share of the chunks (on its own threads), the
// densities are summed on every rank (SumDensity), the ranks develop the
// picture in bands and rank 0 writes the PNG (and OpenEXR) (DevelopOnRanks):
// the file tilvex-cli studio writes for the same quilt and settings, for any
// number of ranks and threads. Progress is reported on rank 0 only (its own
// share). Collective.
ClusterStudioOutcome RenderStudioOnCluster(const Cluster& cluster, const ClusterStudioRequest& request,
                                           const RenderProgress& progress = {});

}  // namespace tilvex::cluster

#pragma once

#include <string>
#include <vector>

#include "cluster/Cluster.h"
#include "motion/Clip.h"
#include "motion/ClipWriter.h"

namespace tilvex::cluster {

struct ClusterClipOutcome {
    std::vector<RankFailure> failures;  // ranks that could not render their frames
    motion::ClipReport report;          // rank 0's: what was written
};

// The clip WriteClip writes, its frames dealt round the ranks (frame i to
// rank i mod ranks) and rendered on each rank's threads. Rank 0 measures the
// exposure and sends it to every rank, then takes the frames in order, its
// own as it renders them and the others' as they arrive, and writes them to
// path: the same file, byte for byte, as one process writes. A failed output
// or rank leaves nothing at the path. Every rank passes the same clip;
// progress is called on rank 0. Collective.
ClusterClipOutcome WriteClipOnCluster(const Cluster& cluster, const motion::Clip& clip, const std::string& path,
                                      int threads, const motion::ClipProgress& progress);

}  // namespace tilvex::cluster

#pragma once

#include <string>
#include <vector>

#include "cluster/Cluster.h"
#include "engine/RenderJob.h"

namespace tilvex::cluster {

struct DevelopOutcome {
    std::vector<RankFailure> failures;  // ranks that could not develop their band: nothing was written
    std::string writeError;             // rank 0's, on every rank
};

// The picture of the job's samples, every rank's job holding the summed
// density (SumDensity). The stages that go cell by cell or pixel by pixel
// are shared out in bands of rows: the density estimate, the fold and, for
// an 8-bit PNG, the colouring. Rank 0 joins the bands and writes the files
// RenderJob::Write makes of the same samples. Collective.
DevelopOutcome DevelopOnRanks(const Cluster& cluster, const RenderJob& job, const RenderJob::Outputs& files,
                              const RenderProgress& progress = {});

}  // namespace tilvex::cluster

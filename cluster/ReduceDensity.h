#pragma once

#include "cluster/Cluster.h"
#include "engine/RenderJob.h"

namespace tilvex::cluster {

// Cells summed in one step: 4 MB, so no rank needs a second buffer of the
// full size (an 8192-pixel tile's buffer is 256 MB).
inline constexpr int kReduceSlice = 1 << 20;

// Sums every rank's density into rank 0's job, slice by slice. The sum
// saturates as DensityBuffer::Merge does (a cell holds at most 2^32 - 1
// 256ths of a visit), so rank 0 ends with the buffer one process makes from
// all the chunks, however they were shared. Collective; the jobs' buffers
// must have one resolution.
void ReduceDensity(const Cluster& cluster, RenderJob& job);

}  // namespace tilvex::cluster

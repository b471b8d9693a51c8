#pragma once

#include <cstdint>
#include <span>

#include "cluster/Cluster.h"
#include "engine/RenderJob.h"

namespace tilvex::cluster {

// Cells summed in one step: 4 MB, so no rank needs a second buffer of the
// full size (an 8192-pixel tile's buffer is 256 MB).
inline constexpr int kSumSlice = 1 << 20;

// Sums every rank's density into every rank's job, slice by slice, so each
// can develop its own band of the picture. The sum saturates as
// DensityBuffer::Merge does (a cell holds at most 2^32 - 1 256ths of a
// visit), so every rank ends with the buffer one process makes from all the
// chunks, however they were shared. Collective; the jobs' buffers must have
// one resolution.
// With a look that colours by structure, the samples' colour sums likewise
// (plain sums, as one process adds its threads').
void SumDensity(const Cluster& cluster, RenderJob& job);

// Every rank's counts become the sums of all ranks' (as a process adds up
// its threads' counts), slice by slice. Collective; one length everywhere.
void SumCounts(const Cluster& cluster, std::span<std::uint32_t> counts);

}  // namespace tilvex::cluster

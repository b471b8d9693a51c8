#include "cluster/ReduceDensity.h"

#include <mpi.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace tilvex::cluster {

namespace {

// MPI_SUM would wrap around where DensityBuffer::Merge stops at the top.
void SaturatingSum(void* in, void* inout, int* length, MPI_Datatype*)
{
    const auto* a = static_cast<const std::uint32_t*>(in);
    auto* b = static_cast<std::uint32_t*>(inout);
    for (int i = 0; i < *length; ++i) {
        const std::uint32_t s = a[i] + b[i];
        b[i] = s < a[i] ? UINT32_MAX : s;
    }
}

}  // namespace

void ReduceDensity(const Cluster& cluster, RenderJob& job)
{
    if (cluster.Ranks() == 1) return;
    MPI_Op sum;
    MPI_Op_create(&SaturatingSum, 1, &sum);
    const std::span<const std::uint32_t> cells = job.Density().Cells();
    // Rank 0 adds nothing of its own to the reduction and merges the others'
    // sum into its buffer, so its cells are never written by MPI.
    std::vector<std::uint32_t> zeros, others;
    if (cluster.Leads()) {
        zeros.assign(std::min<std::size_t>(kReduceSlice, cells.size()), 0);
        others.resize(zeros.size());
    }
    for (std::size_t first = 0; first < cells.size(); first += kReduceSlice) {
        const int count = static_cast<int>(std::min<std::size_t>(kReduceSlice, cells.size() - first));
        const void* mine = cluster.Leads() ? zeros.data() : cells.data() + first;
        MPI_Reduce(mine, others.data(), count, MPI_UINT32_T, sum, 0, MPI_COMM_WORLD);
        if (cluster.Leads()) job.MergeDensity(first, std::span<const std::uint32_t>(others.data(), count));
    }
    MPI_Op_free(&sum);
}

}  // namespace tilvex::cluster

#include "cluster/SumDensity.h"

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

void SumDensity(const Cluster& cluster, RenderJob& job)
{
    if (cluster.Ranks() == 1) return;
    MPI_Op sum;
    MPI_Op_create(&SaturatingSum, 1, &sum);
    const std::span<const std::uint32_t> cells = job.Density().Cells();
    std::vector<std::uint32_t> total(std::min<std::size_t>(kSumSlice, cells.size()));
    for (std::size_t first = 0; first < cells.size(); first += kSumSlice) {
        const int count = static_cast<int>(std::min<std::size_t>(kSumSlice, cells.size() - first));
        MPI_Allreduce(cells.data() + first, total.data(), count, MPI_UINT32_T, sum, MPI_COMM_WORLD);
        job.AssignDensity(first, std::span<const std::uint32_t>(total.data(), count));
    }
    MPI_Op_free(&sum);
    if (const studio::ColourSums* colours = job.Colours()) {
        const std::span<const std::uint32_t> sums = colours->Sums();
        total.resize(std::min<std::size_t>(kSumSlice, sums.size()));
        for (std::size_t first = 0; first < sums.size(); first += kSumSlice) {
            const int count = static_cast<int>(std::min<std::size_t>(kSumSlice, sums.size() - first));
            MPI_Allreduce(sums.data() + first, total.data(), count, MPI_UINT32_T, MPI_SUM, MPI_COMM_WORLD);
            job.AssignColourSums(first, std::span<const std::uint32_t>(total.data(), count));
        }
    }
}

void SumCounts(const Cluster& cluster, std::span<std::uint32_t> counts)
{
    if (cluster.Ranks() == 1) return;
    for (std::size_t first = 0; first < counts.size(); first += kSumSlice) {
        const int count = static_cast<int>(std::min<std::size_t>(kSumSlice, counts.size() - first));
        MPI_Allreduce(MPI_IN_PLACE, counts.data() + first, count, MPI_UINT32_T, MPI_SUM, MPI_COMM_WORLD);
    }
}

}  // namespace tilvex::cluster

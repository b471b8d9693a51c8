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

// Sums `mine` over the ranks a slice at a time; take(first, sums) gets each slice's total.
template <class Take>
void SumSlices(std::span<const std::uint32_t> mine, MPI_Op op, Take&& take)
{
    std::vector<std::uint32_t> total(std::min<std::size_t>(kSumSlice, mine.size()));
    for (std::size_t first = 0; first < mine.size(); first += kSumSlice) {
        const int count = static_cast<int>(std::min<std::size_t>(kSumSlice, mine.size() - first));
        MPI_Allreduce(mine.data() + first, total.data(), count, MPI_UINT32_T, op, MPI_COMM_WORLD);
        take(first, std::span<const std::uint32_t>(total.data(), static_cast<std::size_t>(count)));
    }
}

}  // namespace

void SumDensity(const Cluster& cluster, RenderJob& job)
{
    if (cluster.Ranks() == 1) return;
    MPI_Op saturating;
    MPI_Op_create(&SaturatingSum, 1, &saturating);
    SumSlices(job.Density().Cells(), saturating,
              [&job](std::size_t first, std::span<const std::uint32_t> sums) { job.AssignDensity(first, sums); });
    MPI_Op_free(&saturating);
    if (const studio::ColourSums* colours = job.Colours())
        SumSlices(colours->Sums(), MPI_SUM,
                  [&job](std::size_t first, std::span<const std::uint32_t> sums) { job.AssignColourSums(first, sums); });
}

void SumCounts(const Cluster& cluster, std::span<std::uint32_t> counts)
{
    if (cluster.Ranks() == 1) return;
    SumSlices(counts, MPI_SUM, [&counts](std::size_t first, std::span<const std::uint32_t> sums) {
        std::copy(sums.begin(), sums.end(), counts.begin() + static_cast<std::ptrdiff_t>(first));
    });
}

}  // namespace tilvex::cluster

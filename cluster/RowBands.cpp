#include "cluster/RowBands.h"

#include <mpi.h>

#include <algorithm>
#include <stdexcept>

namespace tilvex::cluster {

namespace {

constexpr int kBandTag = 28;

// Calls move(offset, bytes) for the slices of a band's bytes.
template <class Move>
void InSlices(std::size_t offset, std::size_t bytes, Move&& move)
{
    for (std::size_t done = 0; done < bytes; done += kBandSlice)
        move(offset + done, static_cast<int>(std::min(kBandSlice, bytes - done)));
}

void CheckSize(std::size_t have, std::size_t need)
{
    if (have < need) throw std::logic_error("a band lies beyond the rows given");
}

}  // namespace

void ShareBands(const Cluster& cluster, std::span<std::byte> rows, std::size_t rowBytes,
                const std::vector<Share>& bands)
{
    for (int r = 0; r < cluster.Ranks(); ++r) {
        const Share band = bands[static_cast<std::size_t>(r)];
        const std::size_t offset = band.first * rowBytes, bytes = band.count * rowBytes;
        CheckSize(rows.size(), offset + bytes);
        InSlices(offset, bytes, [&](std::size_t at, int count) {
            MPI_Bcast(rows.data() + at, count, MPI_BYTE, r, MPI_COMM_WORLD);
        });
    }
}

void GatherBands(const Cluster& cluster, std::span<std::byte> rows, std::size_t rowBytes,
                 const std::vector<Share>& bands)
{
    if (!cluster.Leads()) {
        const std::size_t bytes = bands[static_cast<std::size_t>(cluster.Rank())].count * rowBytes;
        CheckSize(rows.size(), bytes);
        InSlices(0, bytes, [&](std::size_t at, int count) {
            MPI_Send(rows.data() + at, count, MPI_BYTE, 0, kBandTag, MPI_COMM_WORLD);
        });
        return;
    }
    for (int r = 1; r < cluster.Ranks(); ++r) {
        const Share band = bands[static_cast<std::size_t>(r)];
        const std::size_t offset = band.first * rowBytes, bytes = band.count * rowBytes;
        CheckSize(rows.size(), offset + bytes);
        InSlices(offset, bytes, [&](std::size_t at, int count) {
            MPI_Recv(rows.data() + at, count, MPI_BYTE, r, kBandTag, MPI_COMM_WORLD, MPI_STATUS_IGNORE);
        });
    }
}

}  // namespace tilvex::cluster

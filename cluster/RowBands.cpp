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

// A band's first byte and length in rows counted from row offsetRows,
// checked against the `size` bytes given.
struct Bytes {
    std::size_t offset, length;
};
Bytes BandBytes(Share band, std::size_t rowBytes, std::size_t offsetRows, std::size_t size)
{
    const Bytes bytes{(band.first - offsetRows) * rowBytes, band.count * rowBytes};
    if (bytes.offset + bytes.length > size) throw std::logic_error("a band lies beyond the rows given");
    return bytes;
}

}  // namespace

void ShareBands(const Cluster& cluster, std::span<std::byte> rows, std::size_t rowBytes,
                const std::vector<Share>& bands)
{
    for (int r = 0; r < cluster.Ranks(); ++r) {
        const Bytes band = BandBytes(bands[static_cast<std::size_t>(r)], rowBytes, 0, rows.size());
        InSlices(band.offset, band.length, [&](std::size_t at, int count) {
            MPI_Bcast(rows.data() + at, count, MPI_BYTE, r, MPI_COMM_WORLD);
        });
    }
}

void GatherBands(const Cluster& cluster, std::span<std::byte> rows, std::size_t rowBytes,
                 const std::vector<Share>& bands)
{
    if (!cluster.Leads()) {
        // This rank's rows hold its band alone.
        const Share mine = bands[static_cast<std::size_t>(cluster.Rank())];
        const Bytes band = BandBytes(mine, rowBytes, static_cast<std::size_t>(mine.first), rows.size());
        InSlices(band.offset, band.length, [&](std::size_t at, int count) {
            MPI_Send(rows.data() + at, count, MPI_BYTE, 0, kBandTag, MPI_COMM_WORLD);
        });
        return;
    }
    for (int r = 1; r < cluster.Ranks(); ++r) {
        const Bytes band = BandBytes(bands[static_cast<std::size_t>(r)], rowBytes, 0, rows.size());
        InSlices(band.offset, band.length, [&](std::size_t at, int count) {
            MPI_Recv(rows.data() + at, count, MPI_BYTE, r, kBandTag, MPI_COMM_WORLD, MPI_STATUS_IGNORE);
        });
    }
}

}  // namespace tilvex::cluster

#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "cluster/Cluster.h"
#include "cluster/Deal.h"

namespace tilvex::cluster {

// Rows of rowBytes bytes, band r made by rank r (bands as SharesOf deals
// them). Both are collective and move at most kBandSlice bytes a message,
// so no count overflows MPI's int however large the picture.
inline constexpr std::size_t kBandSlice = std::size_t{1} << 24;

// Every rank's `rows` hold every band: each rank's own band goes to all.
void ShareBands(const Cluster& cluster, std::span<std::byte> rows, std::size_t rowBytes,
                const std::vector<Share>& bands);

// Rank 0's `rows` (every band) receive the other ranks' bands; elsewhere
// `rows` holds the rank's own band alone.
void GatherBands(const Cluster& cluster, std::span<std::byte> rows, std::size_t rowBytes,
                 const std::vector<Share>& bands);

}  // namespace tilvex::cluster

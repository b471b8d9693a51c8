#pragma once

#include <vector>

namespace tilvex::cluster {

// A rank's share of a studio render's chunks: [first, first + count). Shares
// are consecutive and differ by one chunk at most; a rank beyond the chunk
// count gets none.
struct ChunkShare {
    int first = 0, count = 0;
};
ChunkShare ShareOfChunks(int chunks, int rank, int ranks);

// Items (gallery quilts, film frames) dealt round: item i goes to rank
// i % ranks, so every kind of a gallery's cycle spreads over the ranks. The
// rank's items in increasing order, the order it sends them to rank 0 in.
std::vector<int> DealtItems(int count, int rank, int ranks);
inline int OwnerOfItem(int item, int ranks) { return item % ranks; }

}  // namespace tilvex::cluster

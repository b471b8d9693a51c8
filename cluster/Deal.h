#pragma once

#include <vector>

namespace tilvex::cluster {

// A rank's share of consecutive items (a studio render's chunks, a
// picture's rows): [first, first + count). Shares are consecutive and differ
// by one item at most; a rank beyond the item count gets none.
struct Share {
    int first = 0, count = 0;
};
Share ShareOf(int items, int rank, int ranks);
// Every rank's share, in rank order.
std::vector<Share> SharesOf(int items, int ranks);

// Items (gallery quilts, film frames) dealt round: item i goes to rank
// i % ranks, so every kind of a gallery's cycle spreads over the ranks. The
// rank's items in increasing order, the order it sends them to rank 0 in.
std::vector<int> DealtItems(int count, int rank, int ranks);
inline int OwnerOfItem(int item, int ranks) { return item % ranks; }

}  // namespace tilvex::cluster

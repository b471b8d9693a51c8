#include "cluster/Deal.h"

namespace tilvex::cluster {

Share ShareOf(int items, int rank, int ranks)
{
    const int base = items / ranks, extra = items % ranks;
    return {rank * base + (rank < extra ? rank : extra), base + (rank < extra ? 1 : 0)};
}

std::vector<Share> SharesOf(int items, int ranks)
{
    std::vector<Share> shares;
    for (int r = 0; r < ranks; ++r) shares.push_back(ShareOf(items, r, ranks));
    return shares;
}

std::vector<int> DealtItems(int count, int rank, int ranks)
{
    std::vector<int> items;
    for (int i = rank; i < count; i += ranks) items.push_back(i);
    return items;
}

}  // namespace tilvex::cluster

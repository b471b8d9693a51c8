#include "cluster/Deal.h"

namespace tilvex::cluster {

ChunkShare ShareOfChunks(int chunks, int rank, int ranks)
{
    const int base = chunks / ranks, extra = chunks % ranks;
    return {rank * base + (rank < extra ? rank : extra), base + (rank < extra ? 1 : 0)};
}

std::vector<int> DealtItems(int count, int rank, int ranks)
{
    std::vector<int> items;
    for (int i = rank; i < count; i += ranks) items.push_back(i);
    return items;
}

}  // namespace tilvex::cluster

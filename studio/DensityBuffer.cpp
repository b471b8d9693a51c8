#include "studio/DensityBuffer.h"

#include <sys/mman.h>

#include <cstdlib>
#include <cstring>
#include <new>

namespace tilvex::studio {

namespace {
constexpr std::size_t kHugePage = 2u << 20;
}

// Visits land all over the buffer: on huge pages they miss the address
// translation caches far less often.
DensityBuffer::DensityBuffer(int resolution)
    : resolution_(resolution), size_(static_cast<std::size_t>(resolution) * static_cast<std::size_t>(resolution))
{
    const std::size_t bytes = (size_ * sizeof(std::uint32_t) + kHugePage - 1) / kHugePage * kHugePage;
    void* p = std::aligned_alloc(kHugePage, bytes);
    if (!p) throw std::bad_alloc();
    (void)::madvise(p, bytes, MADV_HUGEPAGE);
    std::memset(p, 0, bytes);
    cells_.reset(static_cast<std::uint32_t*>(p));
}

DensityBuffer DensityBuffer::FromGrid(const QuiltMap& grid)
{
    DensityBuffer buffer(grid.width);
    for (int y = 0; y < grid.width; ++y)
        for (int x = 0; x < grid.width; ++x) buffer.cells_[buffer.Index(x, y)] = grid.CountAt(x, y) * kOneVisit;
    return buffer;
}

void DensityBuffer::Release::operator()(std::uint32_t* p) const { std::free(p); }

}  // namespace tilvex::studio

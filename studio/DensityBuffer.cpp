#include "studio/DensityBuffer.h"

namespace tilvex::studio {

DensityBuffer::DensityBuffer(int resolution)
    : resolution_(resolution),
      size_(static_cast<std::size_t>(resolution) * static_cast<std::size_t>(resolution)),
      cells_(ZeroedScatterStorage<std::uint32_t>(size_))
{
}

DensityBuffer DensityBuffer::FromGrid(const QuiltMap& grid)
{
    DensityBuffer buffer(grid.width);
    for (int y = 0; y < grid.width; ++y)
        for (int x = 0; x < grid.width; ++x) buffer.cells_[buffer.Index(x, y)] = grid.CountAt(x, y) * kOneVisit;
    return buffer;
}

}  // namespace tilvex::studio

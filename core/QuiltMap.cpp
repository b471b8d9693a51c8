#include "core/QuiltMap.h"

#include <algorithm>
#include <cmath>

namespace tilvex {

QuiltMap::QuiltMap() : histogram(256, 10) {}

QuiltMap::QuiltMap(const QuiltMap& other)
    : maxCount(other.maxCount),
      minCount(other.minCount),
      width(other.width),
      lastIndex(other.lastIndex),
      histogram(other.histogram),
      storageCells_(other.cells_ ? other.storageCells_ : 0)
{
    if (!other.cells_) return;
    cells_ = std::make_unique_for_overwrite<std::uint16_t[]>(storageCells_);
    std::copy_n(other.cells_.get(), storageCells_, cells_.get());
}

QuiltMap& QuiltMap::operator=(const QuiltMap& other)
{
    if (this != &other) *this = QuiltMap(other);
    return *this;
}

void QuiltMap::AttachStorage(int capacity)
{
    // Two spare cells stand for the 4 spare bytes after the counts.
    storageCells_ = static_cast<std::size_t>(capacity) * static_cast<std::size_t>(capacity) + 2;
    cells_ = std::make_unique<std::uint16_t[]>(storageCells_);
    maxCount = minCount = 0;
}

void QuiltMap::DetachStorage()
{
    cells_.reset();
    storageCells_ = 0;
}

std::uint16_t QuiltMap::ScanExtremes()
{
    if (!cells_) return minCount;
    std::uint16_t lo = 0xFFFF, hi = 0;
    bool any = false;
    for (int x = 0; x < width; ++x) {
        const std::uint16_t* column = cells_.get() + Index(x, 0);
        for (int y = 0; y < width; ++y) {
            lo = std::min(lo, column[y]);
            hi = std::max(hi, column[y]);
            any = true;
        }
    }
    if (any) {
        minCount = lo;
        if (hi > maxCount) maxCount = hi;
    }
    return minCount;
}

void QuiltMap::RemoveFloor()
{
    if (!cells_) return;
    ScanExtremes();
    if (minCount > 0) {
        for (int x = 0; x < width; ++x) {
            std::uint16_t* column = cells_.get() + Index(x, 0);
            for (int y = 0; y < width; ++y) column[y] = static_cast<std::uint16_t>(column[y] - minCount);
        }
        maxCount = static_cast<std::uint16_t>(maxCount - minCount);
    }
    ScanExtremes();
}

void QuiltMap::BuildHistogram()
{
    RemoveFloor();
    for (int k = 0; k < 256; ++k) histogram[k] = 0.0;
    if (!cells_) return;
    double m = maxCount;
    if (m < 1.0) return;
    double total = 0.0;
    for (int x = 0; x < width; ++x) {
        for (int y = 0; y < width; ++y) {
            double f = CountAt(x, y) / m;
            if (f > 0.99999999) f = 0.999999999;
            histogram[static_cast<int>(std::trunc(f * 256))] += 1.0;
            total += 1.0;
        }
    }
    for (int k = 0; k < 256; ++k) histogram[k] = histogram[k] / total;
}

void QuiltMap::Clear()
{
    if (cells_) std::fill(cells_.get(), cells_.get() + storageCells_, std::uint16_t{0});
    maxCount = minCount = 0;
}

int QuiltMap::FilledCells() const
{
    if (!cells_) return 0;
    int filled = 0;
    for (int x = 0; x < width; ++x) {
        const std::uint16_t* column = cells_.get() + Index(x, 0);
        for (int y = 0; y < width; ++y) filled += column[y] != 0;
    }
    return filled;
}

}  // namespace tilvex

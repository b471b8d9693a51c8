#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <span>
#include <stdexcept>

#include "studio/ColorMap.h"
#include "studio/DensityBuffer.h"
#include "studio/HugePages.h"
#include "studio/Prefetch.h"

namespace tilvex::studio {

// The colours of the samples that landed in each cell of the unit square,
// summed with their count: the cell's mean colour is the sum over the count.
// A cell is 2 x 2 of the density buffer's cells, 4 x 4 past kFinest (the last
// row and column hold what is left where the buffer's side is no multiple):
// colour changes more slowly than density, and the sums of a large picture,
// four times the density's size a cell, then take a quarter of the density's
// memory and miss the cache far less often. Each sample counts whole in the
// cell of its visit's nearest buffer cell. Integer sums: the same samples
// give the same sums in any order.
class ColourSums {
public:
    // For a density buffer of `densityResolution` cells a side.
    explicit ColourSums(int densityResolution)
        : density_(std::max(densityResolution, 1)),
          shift_(density_ <= kFinest ? 1 : kMostRowsShift),
          resolution_(((density_ - 1) >> shift_) + 1),
          cellsPerUnit_(static_cast<double>(density_) / (1 << shift_)),
          size_(4 * static_cast<std::size_t>(resolution_) * resolution_),
          sums_(ZeroedScatterStorage<std::uint32_t>(size_))
    {
    }

    int Resolution() const { return resolution_; }

    // Adds a coloured visit (DensityBuffer's packed visit, its colour map
    // entry above) in the colour of its entry; an escaped orbit's adds nothing.
    void AddVisit(std::uint64_t visit, const ColorMap& map)
    {
        const std::size_t at = Locate(visit);
        if (at == kNowhere) return;
        const Rgb8 c = map.Entry(static_cast<std::uint8_t>(visit >> DensityBuffer::kVisitEntryShift));
        std::uint32_t* s = sums_.get() + at;
        s[0] += c.r;
        s[1] += c.g;
        s[2] += c.b;
        s[3] += 1;
    }
    void PrefetchVisit(std::uint64_t visit) const
    {
        const std::size_t at = Locate(visit);
        if (at != kNowhere) PrefetchLine(sums_.get() + at);
    }
    // Four sums a cell, red, green, blue and count; for sums made elsewhere,
    // sums [first, first + sums.size()) become the whole render's.
    std::span<const std::uint32_t> Sums() const { return {sums_.get(), size_}; }
    void AssignSums(std::size_t first, std::span<const std::uint32_t> sums)
    {
        if (first > size_ || sums.size() > size_ - first) throw std::out_of_range("ColourSums::AssignSums");
        std::copy(sums.begin(), sums.end(), sums_.get() + first);
    }

    // The mean colour about unit position (u, v): the four nearest cells'
    // sums over their counts, weighted bilinearly. Black where no sample landed.
    RgbF Mean(double u, double v) const;

    static constexpr int kFinest = 2048;  // density cells a side still coloured in 2 x 2 cells
    static constexpr int kMostRowsShift = 2;  // a cell spans at most 2^kMostRowsShift rows of the buffer

private:
    static constexpr std::size_t kNowhere = ~std::size_t{0};

    // The first of the four sums of the visit's cell: its nearest buffer cell
    // is its first, or the next column or row where more than half goes there.
    std::size_t Locate(std::uint64_t visit) const
    {
        const std::uint64_t cells = visit & DensityBuffer::kNoVisit;
        if (cells == DensityBuffer::kNoVisit) return kNowhere;
        int x = static_cast<int>(cells >> 10 & 0xFFFFF) + ((cells & 31) > 8);
        int y = static_cast<int>(cells >> DensityBuffer::kVisitRowShift) + ((cells >> 5 & 31) > 8);
        if (x == density_) x = 0;
        if (y == density_) y = 0;
        return 4 * (static_cast<std::size_t>(y >> shift_) * resolution_ + static_cast<std::size_t>(x >> shift_));
    }

    int Wrap(long long i) const
    {
        if (i >= 0 && i < resolution_) return static_cast<int>(i);  // nearly always: no division
        const long long r = i % resolution_;
        return static_cast<int>(r < 0 ? r + resolution_ : r);
    }

    int density_, shift_, resolution_;
    double cellsPerUnit_;  // cell k's centre lies at buffer cell (k + 0.5) 2^shift
    std::size_t size_;
    ScatterStorage<std::uint32_t> sums_;
};

}  // namespace tilvex::studio

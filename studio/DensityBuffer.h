#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <span>
#include <stdexcept>

#include "core/QuiltMap.h"
#include "studio/HugePages.h"
#include "studio/Prefetch.h"

namespace tilvex::studio {

// Visit counts over the unit square at resolution x resolution, in 1/256ths of
// a visit. Each visit is shared bilinearly between the four nearest cells,
// wrapping at the edges (the quilt's plane is periodic there), so the tile has
// no seam. Sums are integers: the same visits give the same buffer in any order.
class DensityBuffer {
public:
    static constexpr std::uint32_t kOneVisit = 256;

    explicit DensityBuffer(int resolution);
    // The exact grid's counts as a buffer of its own resolution.
    static DensityBuffer FromGrid(const QuiltMap& grid);
    // Buffers are large: copies are made on purpose only.
    DensityBuffer Clone() const
    {
        DensityBuffer copy(resolution_);
        copy.Merge(*this);
        return copy;
    }

    int Resolution() const { return resolution_; }
    std::uint32_t At(int x, int y) const { return cells_[Index(Wrap(x), Wrap(y))]; }
    std::span<const std::uint32_t> Cells() const { return {cells_.get(), size_}; }

    // Where a visit at unit position (u, v) lands: four cells and their weights.
    struct Footprint {
        std::uint32_t cell[4] = {};
        std::uint32_t weight[4] = {};
    };

    Footprint Locate(double u, double v) const
    {
        const double x = u * resolution_ - 0.5, y = v * resolution_ - 0.5;
        if (!(std::fabs(x) < 1e9 && std::fabs(y) < 1e9)) return {};  // escaped orbits leave no trace
        const double fx = std::floor(x), fy = std::floor(y);
        const auto wx = static_cast<std::uint32_t>((x - fx) * 16.0 + 0.5);
        const auto wy = static_cast<std::uint32_t>((y - fy) * 16.0 + 0.5);
        return FootprintAt(Wrap(static_cast<long long>(fx)), Wrap(static_cast<long long>(fy)), wx, wy);
    }
    void Add(const Footprint& f)
    {
        for (int k = 0; k < 4; ++k) Add(f.cell[k], f.weight[k]);
    }

    // A visit as the orbit lanes hand it on: Locate's first cell and weights
    // packed into 52 bits, y0 << 30 | x0 << 10 | wy << 5 | wx, where wx and wy
    // are the sixteenths of the visit that go to the next column and row. A
    // coloured visit carries its colour map entry in the bits above.
    static constexpr std::uint64_t kNoVisit = (1ull << 52) - 1;  // an escaped orbit's: adds nothing
    static constexpr int kVisitRowShift = 30;
    static constexpr int kVisitEntryShift = 52;
    Footprint Unpack(std::uint64_t visit) const
    {
        visit &= kNoVisit;
        if (visit == kNoVisit) return {};
        const auto wx = static_cast<std::uint32_t>(visit & 31), wy = static_cast<std::uint32_t>(visit >> 5 & 31);
        const int x0 = static_cast<int>(visit >> 10 & 0xFFFFF), y0 = static_cast<int>(visit >> kVisitRowShift);
        return FootprintAt(x0, y0, wx, wy);
    }
    void AddVisit(std::uint64_t visit) { Add(Unpack(visit)); }
    void PrefetchVisit(std::uint64_t visit) const
    {
        const std::size_t row = static_cast<std::size_t>((visit & kNoVisit) >> kVisitRowShift) * resolution_;
        const std::size_t x = visit >> 10 & 0xFFFFF;
        PrefetchLine(cells_.get() + row + x);
        PrefetchLine(cells_.get() + (row + resolution_ == size_ ? 0 : row + resolution_) + x);
    }

    // Adds other's counts, saturating: the order of merges does not matter.
    void Merge(const DensityBuffer& other)
    {
        for (std::size_t i = 0; i < size_; ++i) Add(i, other.cells_[i]);
    }
    // Merge for cells [first, first + counts.size()) only: a slice of a buffer
    // of this resolution summed elsewhere.
    void MergeCells(std::size_t first, std::span<const std::uint32_t> counts)
    {
        if (first > size_ || counts.size() > size_ - first) throw std::out_of_range("DensityBuffer::MergeCells");
        for (std::size_t i = 0; i < counts.size(); ++i) Add(first + i, counts[i]);
    }
    // Cells [first, first + counts.size()) become the whole render's sums, made elsewhere.
    void AssignCells(std::size_t first, std::span<const std::uint32_t> counts)
    {
        if (first > size_ || counts.size() > size_ - first) throw std::out_of_range("DensityBuffer::AssignCells");
        std::copy(counts.begin(), counts.end(), cells_.get() + first);
    }

    // Bilinear density at unit position (u, v), in visits.
    double Sample(double u, double v) const
    {
        const double x = u * resolution_ - 0.5, y = v * resolution_ - 0.5;
        if (!(std::fabs(x) < 1e9 && std::fabs(y) < 1e9)) return 0.0;
        const double fx = std::floor(x), fy = std::floor(y);
        const double ax = x - fx, ay = y - fy;
        const int x0 = Wrap(static_cast<long long>(fx)), y0 = Wrap(static_cast<long long>(fy));
        const int x1 = x0 + 1 == resolution_ ? 0 : x0 + 1;
        const int y1 = y0 + 1 == resolution_ ? 0 : y0 + 1;
        const double top = cells_[Index(x0, y0)] * (1 - ax) + cells_[Index(x1, y0)] * ax;
        const double bottom = cells_[Index(x0, y1)] * (1 - ax) + cells_[Index(x1, y1)] * ax;
        return (top * (1 - ay) + bottom * ay) / kOneVisit;
    }

private:
    // The four cells from (x0, y0) on, wrapping, with bilinear weights in 256ths.
    Footprint FootprintAt(int x0, int y0, std::uint32_t wx, std::uint32_t wy) const
    {
        const int x1 = x0 + 1 == resolution_ ? 0 : x0 + 1, y1 = y0 + 1 == resolution_ ? 0 : y0 + 1;
        Footprint f;
        f.cell[0] = static_cast<std::uint32_t>(Index(x0, y0));
        f.cell[1] = static_cast<std::uint32_t>(Index(x1, y0));
        f.cell[2] = static_cast<std::uint32_t>(Index(x0, y1));
        f.cell[3] = static_cast<std::uint32_t>(Index(x1, y1));
        f.weight[0] = (16 - wx) * (16 - wy);
        f.weight[1] = wx * (16 - wy);
        f.weight[2] = (16 - wx) * wy;
        f.weight[3] = wx * wy;
        return f;
    }

    int Wrap(long long i) const
    {
        // Positions come from the unit square, so one step back or forth is the usual case.
        if (i >= 0 && i < resolution_) return static_cast<int>(i);
        if (i == -1) return resolution_ - 1;
        long long r = i % resolution_;
        return static_cast<int>(r < 0 ? r + resolution_ : r);
    }
    std::size_t Index(int x, int y) const { return static_cast<std::size_t>(y) * resolution_ + x; }
    void Add(std::size_t i, std::uint32_t w)
    {
        std::uint32_t s = cells_[i] + w;
        cells_[i] = s < w ? UINT32_MAX : s;
    }

    int resolution_;
    std::size_t size_;
    ScatterStorage<std::uint32_t> cells_;
};

}  // namespace tilvex::studio

#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <span>
#include <stdexcept>

#include "studio/ColorMap.h"
#include "studio/HugePages.h"

namespace tilvex::studio {

// The colours of the samples that landed in each cell of the unit square,
// summed with their count: the cell's mean colour is the sum over the count.
// Each sample counts whole in its nearest cell. Integer sums: the same
// samples give the same sums in any order. A cell is 2 x 2 of the density
// buffer's, 4 x 4 past kFinest (ForDensity): colour changes more slowly than
// density, and the sums of a large picture, four times the density's size a
// cell, then take a quarter of the density's memory and miss the cache far
// less often.
class ColourSums {
public:
    explicit ColourSums(int resolution)
        : resolution_(resolution),
          size_(4 * static_cast<std::size_t>(resolution) * resolution),
          sums_(ZeroedScatterStorage<std::uint32_t>(size_))
    {
    }

    int Resolution() const { return resolution_; }
    static int ForDensity(int densityResolution)
    {
        const int cells = densityResolution <= kFinest ? (densityResolution + 1) / 2 : (densityResolution + 3) / 4;
        return std::max(8, cells);
    }

    // The first of the cell's four sums for a sample at (u, v); none for an escaped one.
    std::size_t Locate(double u, double v) const
    {
        const double x = std::floor(u * resolution_), y = std::floor(v * resolution_);
        if (!(std::fabs(x) < 1e9 && std::fabs(y) < 1e9)) return kNowhere;
        return 4 * (static_cast<std::size_t>(Wrap(static_cast<long long>(y))) * resolution_ +
                    static_cast<std::size_t>(Wrap(static_cast<long long>(x))));
    }
    void Prefetch(std::size_t at) const { __builtin_prefetch(sums_.get() + at, 1); }
    void Add(std::size_t at, Rgb8 c)
    {
        if (at == kNowhere) return;
        std::uint32_t* s = sums_.get() + at;
        s[0] += c.r;
        s[1] += c.g;
        s[2] += c.b;
        s[3] += 1;
    }
    void Merge(const ColourSums& other)
    {
        for (std::size_t i = 0; i < size_; ++i) sums_[i] += other.sums_[i];
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

    static constexpr std::size_t kNowhere = ~std::size_t{0};
    static constexpr int kFinest = 2048;  // density cells a side still coloured in 2 x 2 cells

private:
    int Wrap(long long i) const
    {
        if (i >= 0 && i < resolution_) return static_cast<int>(i);  // nearly always: no division
        const long long r = i % resolution_;
        return static_cast<int>(r < 0 ? r + resolution_ : r);
    }

    int resolution_;
    std::size_t size_;
    ScatterStorage<std::uint32_t> sums_;
};

}  // namespace tilvex::studio

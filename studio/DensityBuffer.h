#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

namespace tilvex::studio {

// Visit counts over the unit square at resolution x resolution, in 1/256ths of
// a visit. Each visit is shared bilinearly between the four nearest cells,
// wrapping at the edges (the quilt's plane is periodic there), so the tile has
// no seam. Sums are integers: the same visits give the same buffer in any order.
class DensityBuffer {
public:
    static constexpr std::uint32_t kOneVisit = 256;

    explicit DensityBuffer(int resolution)
        : resolution_(resolution), cells_(static_cast<std::size_t>(resolution) * resolution, 0)
    {
    }

    int Resolution() const { return resolution_; }
    std::uint32_t At(int x, int y) const { return cells_[Index(Wrap(x), Wrap(y))]; }
    const std::vector<std::uint32_t>& Cells() const { return cells_; }

    void Splat(double u, double v)
    {
        const double x = u * resolution_ - 0.5, y = v * resolution_ - 0.5;
        if (!(std::fabs(x) < 1e9 && std::fabs(y) < 1e9)) return;  // escaped orbits leave no trace
        const double fx = std::floor(x), fy = std::floor(y);
        const auto wx = static_cast<std::uint32_t>((x - fx) * 16.0 + 0.5);
        const auto wy = static_cast<std::uint32_t>((y - fy) * 16.0 + 0.5);
        const int x0 = Wrap(static_cast<long long>(fx)), y0 = Wrap(static_cast<long long>(fy));
        const int x1 = x0 + 1 == resolution_ ? 0 : x0 + 1;
        const int y1 = y0 + 1 == resolution_ ? 0 : y0 + 1;
        Add(Index(x0, y0), (16 - wx) * (16 - wy));
        Add(Index(x1, y0), wx * (16 - wy));
        Add(Index(x0, y1), (16 - wx) * wy);
        Add(Index(x1, y1), wx * wy);
    }

    // Adds other's counts, saturating: the order of merges does not matter.
    void Merge(const DensityBuffer& other)
    {
        for (std::size_t i = 0; i < cells_.size(); ++i) Add(i, other.cells_[i]);
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
    int Wrap(long long i) const
    {
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
    std::vector<std::uint32_t> cells_;
};

}  // namespace tilvex::studio

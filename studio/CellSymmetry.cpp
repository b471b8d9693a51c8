#include "studio/CellSymmetry.h"

#include <tbb/parallel_for.h>
#include <tbb/task_arena.h>

#include <cmath>
#include <vector>

#include "studio/Accumulator.h"

namespace tilvex::studio {

namespace {

bool Whole(double v) { return std::isfinite(v) && v == std::round(v); }

}  // namespace

CellSymmetry CellSymmetryOf(const QuiltSnapshot& quilt)
{
    if (quilt.kind != QuiltKind::Square) return {};
    const SqrMap& map = quilt.maps.square;
    // Both coordinates get x's form with x and y swapped: the transpose needs one shift.
    // Every term is odd in (x, y): the reflection needs shifts of whole half turns and a
    // whole multiplier, so that -x and 1 - x step alike.
    const bool sameShift = Whole(map.shiftX - map.shiftY);
    return {sameShift, Whole(2 * map.shiftX) && Whole(2 * map.shiftY) && Whole(map.emm)};
}

DensityBuffer Symmetrised(const DensityBuffer& buffer, CellSymmetry symmetry, int threads)
{
    const int n = buffer.Resolution();
    DensityBuffer out(n);
    const std::span<const std::uint32_t> cells = buffer.Cells();
    auto at = [&](int x, int y) { return static_cast<std::uint64_t>(cells[static_cast<std::size_t>(y) * n + x]); };
    const std::uint64_t order = static_cast<std::uint64_t>(symmetry.Order());
    tbb::task_arena arena(ThreadCount(threads));
    arena.execute([&] {
        tbb::parallel_for(0, n, [&](int y) {
            std::vector<std::uint32_t> row(static_cast<std::size_t>(n));
            for (int x = 0; x < n; ++x) {
                std::uint64_t sum = at(x, y);
                if (symmetry.transpose) sum += at(y, x);
                if (symmetry.pointReflection) {
                    sum += at(n - 1 - x, n - 1 - y);
                    if (symmetry.transpose) sum += at(n - 1 - y, n - 1 - x);
                }
                row[static_cast<std::size_t>(x)] = static_cast<std::uint32_t>((sum + order / 2) / order);
            }
            out.AssignCells(static_cast<std::size_t>(y) * n, row);
        });
    });
    return out;
}

}  // namespace tilvex::studio

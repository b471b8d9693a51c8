#include "studio/Develop.h"

#include <tbb/blocked_range.h>
#include <tbb/enumerable_thread_specific.h>
#include <tbb/parallel_for.h>
#include <tbb/task_arena.h>

#include <atomic>
#include <mutex>

#include "studio/TileFolder.h"
#include "studio/TileGeometry.h"

namespace tilvex::studio {

std::optional<std::vector<float>> FoldTile(const QuiltSnapshot& quilt, const DensityBuffer& buffer, int width,
                                           int height, int threads, std::stop_token stop, const ShareDone& progress)
{
    std::vector<float> densities(static_cast<std::size_t>(width) * height);
    const double sx = static_cast<double>(quilt.tile.width) / width;
    const double sy = static_cast<double>(quilt.tile.height) / height;
    tbb::task_arena arena(ThreadCount(threads));
    tbb::enumerable_thread_specific<TileFolder> folders([&quilt] { return TileFolder(quilt); });
    std::atomic<int> rowsDone{0};
    std::mutex progressLock;
    arena.execute([&] {
        tbb::parallel_for(tbb::blocked_range<int>(0, height), [&](const tbb::blocked_range<int>& rows) {
            if (stop.stop_requested()) return;
            TileFolder& folder = folders.local();
            for (int row = rows.begin(); row < rows.end(); ++row) {
                // Row 0 of the picture is the top; the tile's y counts up from its bottom.
                const double y = quilt.tile.height - (row + 0.5) * sy;
                float* out = densities.data() + static_cast<std::size_t>(row) * width;
                for (int col = 0; col < width; ++col) {
                    Complex u = folder.UnitPosition((col + 0.5) * sx, y);
                    out[col] = static_cast<float>(buffer.Sample(u.re, u.im));
                }
            }
            const int done = rowsDone += static_cast<int>(rows.size());
            if (progress) {
                std::lock_guard lock(progressLock);
                progress(static_cast<double>(done) / height);
            }
        });
    });
    if (stop.stop_requested()) return std::nullopt;
    return densities;
}

std::optional<FloatImage> Develop(const QuiltSnapshot& quilt, const DensityBuffer& buffer, int width, const Look& look,
                                  int threads, std::stop_token stop, const ShareDone& progress)
{
    width = std::max(width, 1);
    const int height = StudioTileHeight(quilt, width);
    std::optional<std::vector<float>> densities = FoldTile(quilt, buffer, width, height, threads, stop, progress);
    if (!densities) return std::nullopt;
    FloatImage image(width, height, std::move(*densities), look, Colours(look, quilt.paletteEntries));
    if (stop.stop_requested()) return std::nullopt;
    return image;
}

FloatImage DevelopGrid(const QuiltSnapshot& quilt, int width, const Look& look, int threads)
{
    width = std::max(width, 1);
    const int height = StudioTileHeight(quilt, width);
    const ColorMap colours = Colours(look, quilt.paletteEntries);
    if (quilt.grid.width == 0 || !quilt.grid.HasStorage())
        return FloatImage(width, height, std::vector<float>(static_cast<std::size_t>(width) * height, 0.0f), look,
                          colours);
    // Grid cells per unit is the grid scale, so the grid stands in for a buffer at that resolution.
    const DensityBuffer grid = DensityBuffer::FromGrid(quilt.grid);
    return FloatImage(width, height, *FoldTile(quilt, grid, width, height, threads), look, colours);
}

}  // namespace tilvex::studio

#include "studio/Develop.h"

#include <tbb/blocked_range.h>
#include <tbb/enumerable_thread_specific.h>
#include <tbb/parallel_for.h>
#include <tbb/task_arena.h>

#include <atomic>
#include <cmath>
#include <mutex>

#include "studio/CellSymmetry.h"
#include "studio/FlatField.h"
#include "studio/TileFolder.h"
#include "studio/TileGeometry.h"

namespace tilvex::studio {

namespace {

// Offsets (in pixels) and weights of the oversampling filter along one axis.
struct Taps {
    std::vector<double> offset, weight;

    explicit Taps(int n)
    {
        if (n <= 1) {
            offset = {0.0};
            weight = {1.0};
            return;
        }
        double sum = 0.0;
        for (int i = 0; i < 2 * n; ++i) {
            const double o = (i + 0.5) / n - 1.0;
            offset.push_back(o);
            weight.push_back(std::exp(-o * o / (2 * 0.25)));
            sum += weight.back();
        }
        for (double& w : weight) w /= sum;
    }
};

double WrapInto(double v, double period)
{
    if (v >= 0.0 && v < period) return v;
    v = std::fmod(v, period);
    return v < 0.0 ? v + period : v;
}

// A pixel's centre in the buffer's unit square; row 0 of the picture is the top.
Complex PixelCentre(TileFolder& folder, const QuiltSnapshot& quilt, int col, int row, double sx, double sy)
{
    return folder.UnitPosition((col + 0.5) * sx, quilt.tile.height - (row + 0.5) * sy);
}

}  // namespace

std::optional<FoldedTile> FoldTile(const QuiltSnapshot& quilt, const DensityField& field, bool measureExposure,
                                   int width, int height, int oversample, int threads, std::stop_token stop,
                                   const ShareDone& progress, const ColourSums* colours, RowBand rows)
{
    rows = rows.Within(height);
    std::vector<float> densities(static_cast<std::size_t>(width) * rows.Count());
    std::vector<std::uint32_t> packed(colours ? densities.size() : 0);
    tbb::enumerable_thread_specific<DensityHistogram> histograms;
    const double sx = static_cast<double>(quilt.tile.width) / width;
    const double sy = static_cast<double>(quilt.tile.height) / height;
    const Taps taps(oversample);
    const int count = static_cast<int>(taps.offset.size());
    tbb::task_arena arena(ThreadCount(threads));
    tbb::enumerable_thread_specific<TileFolder> folders([&quilt] { return TileFolder(quilt); });
    std::atomic<int> rowsDone{0};
    std::mutex progressLock;
    arena.execute([&] {
        tbb::parallel_for(tbb::blocked_range<int>(rows.first, rows.last), [&](const tbb::blocked_range<int>& some) {
            if (stop.stop_requested()) return;
            TileFolder& folder = folders.local();
            DensityHistogram& histogram = histograms.local();
            for (int row = some.begin(); row < some.end(); ++row) {
                const std::size_t at = static_cast<std::size_t>(row - rows.first) * width;
                float* out = densities.data() + at;
                for (int col = 0; col < width; ++col) {
                    double sum = 0.0;
                    bool filled = false;
                    Complex u;
                    for (int j = 0; j < count; ++j) {
                        // Row 0 of the picture is the top; the tile's y counts up from its bottom.
                        const double y = WrapInto(quilt.tile.height - (row + 0.5 + taps.offset[j]) * sy, quilt.tile.height);
                        for (int i = 0; i < count; ++i) {
                            const double x = WrapInto((col + 0.5 + taps.offset[i]) * sx, quilt.tile.width);
                            u = folder.UnitPosition(x, y);
                            sum += taps.weight[i] * taps.weight[j] * field.Sample(u.re, u.im, filled);
                        }
                    }
                    out[col] = static_cast<float>(sum);
                    if (measureExposure || colours) {
                        // Without oversampling the one tap was the pixel's centre.
                        if (count > 1) u = PixelCentre(folder, quilt, col, row, sx, sy);
                        if (measureExposure) {
                            double exposed = sum;  // the one tap's
                            if (count > 1) exposed = field.Sample(u.re, u.im, filled);
                            histogram.Add(filled ? static_cast<float>(exposed) : 0.0f);
                        }
                        if (colours)
                            packed[at + col] = PackColour(colours->Mean(u.re, u.im));
                    }
                }
            }
            const int done = rowsDone += static_cast<int>(some.size());
            if (progress) {
                std::lock_guard lock(progressLock);
                progress(static_cast<double>(done) / std::max(rows.Count(), 1));
            }
        });
    });
    if (stop.stop_requested()) return std::nullopt;
    FoldedTile tile{std::move(densities), {}, std::move(packed)};
    histograms.combine_each([&tile](const DensityHistogram& h) { tile.exposure.Merge(h); });
    return tile;
}

std::optional<std::vector<float>> FoldTile(const QuiltSnapshot& quilt, const DensityBuffer& buffer, int width,
                                           int height, int threads, std::stop_token stop, const ShareDone& progress)
{
    const std::shared_ptr<const FlatField> flat = FlatFieldFor(quilt, buffer.Resolution(), threads, stop);
    if (stop.stop_requested()) return std::nullopt;
    const DensityField field = DensityField::Unfiltered(buffer, flat.get());
    std::optional<FoldedTile> tile = FoldTile(quilt, field, false, width, height, 1, threads, stop, progress);
    if (!tile) return std::nullopt;
    return std::move(tile->densities);
}

namespace {

// Develop, spending the buffer when given it as `spendable`: freed once the estimate is made.
std::optional<FloatImage> DevelopBuffer(const QuiltSnapshot& quilt, const DensityBuffer& buffer,
                                        DensityBuffer* spendable, int width, const Look& look, int threads,
                                        std::stop_token stop, const ShareDone& progress, const ColourSums* colours,
                                        FlatFieldUse flatUse)
{
    width = std::max(width, 1);
    const int height = StudioTileHeight(quilt, width);
    const std::shared_ptr<const FlatField> flat = flatUse == FlatFieldUse::IfMade
                                                      ? FlatFieldIfMade(quilt, buffer.Resolution())
                                                      : FlatFieldFor(quilt, buffer.Resolution(), threads, stop);
    if (stop.stop_requested()) return std::nullopt;
    std::optional<DensityField> field =
        look.denoise.on
            ? EstimateDensity(buffer, flat.get(), look.denoise, threads, stop, {}, CellSymmetryOf(quilt))
            : DensityField::Unfiltered(buffer, flat.get());
    if (!field) return std::nullopt;
    // Unfiltered, the field reads the buffer itself through the fold: nothing to spend.
    if (spendable && look.denoise.on) *spendable = DensityBuffer(1);  // the counts, spent: freed before the picture is made
    if (look.colorBy == ColorBy::Density) colours = nullptr;
    std::optional<FoldedTile> tile =
        FoldTile(quilt, *field, true, width, height, look.oversample, threads, stop, progress, colours);
    if (!tile) return std::nullopt;
    FloatImage image(width, height, std::move(tile->densities), look, Colours(look, quilt.paletteEntries),
                     std::move(tile->colours), &tile->exposure);
    if (stop.stop_requested()) return std::nullopt;
    return image;
}

}  // namespace

std::optional<FloatImage> Develop(const QuiltSnapshot& quilt, const DensityBuffer& buffer, int width, const Look& look,
                                  int threads, std::stop_token stop, const ShareDone& progress, const ColourSums* colours,
                                  FlatFieldUse flatUse)
{
    return DevelopBuffer(quilt, buffer, nullptr, width, look, threads, stop, progress, colours, flatUse);
}

std::optional<FloatImage> DevelopSpending(const QuiltSnapshot& quilt, DensityBuffer buffer, int width, const Look& look,
                                          int threads, std::stop_token stop, const ShareDone& progress,
                                          const ColourSums* colours)
{
    return DevelopBuffer(quilt, buffer, &buffer, width, look, threads, stop, progress, colours,
                         FlatFieldUse::MakeIfNeeded);
}

FloatImage DevelopGrid(const QuiltSnapshot& quilt, int width, const Look& look, int threads)
{
    width = std::max(width, 1);
    const int height = StudioTileHeight(quilt, width);
    const ColorMap colours = Colours(look, quilt.paletteEntries);
    if (quilt.grid.width == 0 || !quilt.grid.HasStorage())
        return FloatImage(width, height, std::vector<float>(static_cast<std::size_t>(width) * height, 0.0f), look,
                          colours);
    // Grid cells per unit is the grid scale, so the grid stands in for a buffer at that
    // resolution. Its visits land whole in one cell, not as the studio's splats: no flat field.
    const DensityBuffer grid = DensityBuffer::FromGrid(quilt.grid);
    const DensityField field = *EstimateDensity(grid, nullptr, look.denoise, threads);
    FoldedTile tile = *FoldTile(quilt, field, true, width, height, 1, threads);
    return FloatImage(width, height, std::move(tile.densities), look, colours, {}, &tile.exposure);
}

}  // namespace tilvex::studio

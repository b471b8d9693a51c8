#include "studio/FlatField.h"

#include <tbb/blocked_range.h>
#include <tbb/enumerable_thread_specific.h>
#include <tbb/parallel_for.h>
#include <tbb/task_arena.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <condition_variable>
#include <list>
#include <mutex>

#include "studio/Accumulator.h"
#include "studio/DensityBuffer.h"
#include "studio/Orbit.h"
#include "studio/TileFolder.h"

namespace tilvex::studio {

namespace {

// Points of the uniform field per cell side: as many as a budget of points
// allows, between these. Cells that a fold line cuts are the ones that need
// them; large buffers take fewer, and their cells are smaller in the picture.
constexpr int kMinPointsPerCellSide = 3, kMaxPointsPerCellSide = 16;
constexpr double kPointBudget = 1.0e8;

// What the field depends on: the fold (its kind and a few folded points, so
// two quilts whose folds differ never share one), the tile and the resolution.
struct FieldKey {
    QuiltKind kind;
    int knot, resolution, tileWidth, tileHeight;
    double gridScale;
    std::array<double, 16> probes;
    friend bool operator==(const FieldKey&, const FieldKey&) = default;
};

FieldKey KeyOf(const QuiltSnapshot& quilt, int resolution)
{
    FieldKey key{quilt.kind, quilt.detail.hexKnot, resolution, quilt.tile.width, quilt.tile.height,
                 quilt.geometry.gridScale, {}};
    TileFolder folder(quilt);
    for (int i = 0; i < 8; ++i) {
        const Complex u = folder.UnitPosition(quilt.tile.width * (0.13 + 0.1 * i), quilt.tile.height * (0.91 - 0.11 * i));
        key.probes[2 * i] = u.re;
        key.probes[2 * i + 1] = u.im;
    }
    return key;
}

bool HasFlatField(const QuiltSnapshot& quilt)
{
    if (quilt.kind == QuiltKind::Square || quilt.kind == QuiltKind::WildCorner) return false;
    return quilt.tile.width > 0 && quilt.tile.height > 0 && quilt.geometry.gridScale > 0.0;
}

}  // namespace

std::vector<std::uint32_t> FlatFieldCounts(const QuiltSnapshot& quilt, int resolution, int threads, int part, int parts,
                                           std::stop_token stop)
{
    if (!HasFlatField(quilt)) return {};
    // Over one period of the fold where it has one: a tile of whole pixels
    // holds a period only to within a pixel.
    const std::optional<Complex> region = TileFolder(quilt).FoldRegion();
    const Complex extent = region ? *region : Complex(quilt.tile.width, quilt.tile.height);
    const double cells = extent.re * extent.im / (quilt.geometry.gridScale * quilt.geometry.gridScale) *
                         static_cast<double>(resolution) * resolution;
    const int perSide = std::clamp(static_cast<int>(std::sqrt(kPointBudget / std::max(cells, 1.0))),
                                   kMinPointsPerCellSide, kMaxPointsPerCellSide);
    const double step = quilt.geometry.gridScale / (static_cast<double>(resolution) * perSide);
    // Whole steps across it, so its far edges are covered as its near ones.
    const int columns = std::max(1, static_cast<int>(std::lround(extent.re / step)));
    const int rows = std::max(1, static_cast<int>(std::lround(extent.im / step)));
    const double stepX = extent.re / columns, stepY = extent.im / rows;
    parts = std::max(parts, 1);
    part = std::clamp(part, 0, parts - 1);
    const int firstRow = static_cast<int>(static_cast<long long>(rows) * part / parts);
    const int lastRow = static_cast<int>(static_cast<long long>(rows) * (part + 1) / parts);
    tbb::enumerable_thread_specific<DensityBuffer> buffers([resolution] { return DensityBuffer(resolution); });
    tbb::enumerable_thread_specific<TileFolder> folders([&quilt] { return TileFolder(quilt); });
    tbb::task_arena arena(ThreadCount(threads));
    arena.execute([&] {
        tbb::parallel_for(tbb::blocked_range<int>(firstRow, lastRow), [&](const tbb::blocked_range<int>& range) {
            if (stop.stop_requested()) return;
            DensityBuffer& buffer = buffers.local();
            TileFolder& folder = folders.local();
            for (int j = range.begin(); j < range.end(); ++j)
                for (int i = 0; i < columns; ++i) {
                    // Jittered within its stratum: a regular lattice meets the
                    // splats' 1/16-cell weights in step and biases cut cells.
                    const std::uint64_t bits = MixBits(static_cast<std::uint64_t>(j) << 32 | static_cast<std::uint32_t>(i));
                    const double jx = static_cast<double>(bits & 0xFFFFFFFF) * 0x1.0p-32;
                    const double jy = static_cast<double>(bits >> 32) * 0x1.0p-32;
                    const Complex u = folder.UnitPosition((i + jx) * stepX, (j + jy) * stepY);
                    buffer.Add(buffer.Locate(u.re, u.im));
                }
        });
    });
    if (stop.stop_requested()) return {};
    std::vector<std::uint32_t> counts(static_cast<std::size_t>(resolution) * resolution, 0);
    buffers.combine_each([&counts](const DensityBuffer& b) {
        std::span<const std::uint32_t> cells = b.Cells();
        for (std::size_t i = 0; i < counts.size(); ++i) counts[i] += cells[i];
    });
    return counts;
}

std::shared_ptr<const FlatField> FlatFieldFromCounts(int resolution, std::vector<std::uint32_t> counts)
{
    if (counts.size() != static_cast<std::size_t>(resolution) * resolution) return nullptr;
    // Most covered cells are whole: their typical count is a full share.
    std::vector<std::uint32_t> covered;
    for (std::uint32_t c : counts)
        if (c) covered.push_back(c);
    if (covered.empty()) return nullptr;
    auto middle = covered.begin() + static_cast<std::ptrdiff_t>(covered.size() / 2);
    std::nth_element(covered.begin(), middle, covered.end());
    const double median = *middle;
    double sum = 0.0;
    std::size_t n = 0;
    for (std::uint32_t c : covered)
        if (std::fabs(c - median) <= 0.05 * median) sum += c, ++n;
    return std::make_shared<FlatField>(resolution, std::move(counts), sum / static_cast<double>(n));
}

namespace {

// The last few fields made, and those being made: a desktop preview and an
// export, or a render's passes, share them. A field is made outside the lock,
// so a caller wanting another field, or one told to stop while it waits for
// this one, is not held up by it.
struct Kept {
    FieldKey key;
    std::shared_ptr<const FlatField> field;
    bool ready;  // false while being made
};
struct KeptFields {
    std::mutex lock;
    std::condition_variable_any made;
    std::list<Kept> kept;
};
KeptFields& Fields()
{
    static KeptFields fields;
    return fields;
}

}  // namespace

std::shared_ptr<const FlatField> FlatFieldIfMade(const QuiltSnapshot& quilt, int resolution)
{
    if (!HasFlatField(quilt)) return nullptr;
    KeptFields& fields = Fields();
    const FieldKey key = KeyOf(quilt, resolution);
    std::lock_guard guard(fields.lock);
    const std::list<Kept>& kept = fields.kept;
    const auto it = std::ranges::find_if(kept, [&key](const Kept& k) { return k.key == key && k.ready; });
    return it == kept.end() ? nullptr : it->field;
}

std::shared_ptr<const FlatField> FlatFieldFor(const QuiltSnapshot& quilt, int resolution, int threads,
                                              std::stop_token stop)
{
    if (!HasFlatField(quilt)) return nullptr;
    KeptFields& fields = Fields();
    std::list<Kept>& kept = fields.kept;
    std::condition_variable_any& made = fields.made;
    const FieldKey key = KeyOf(quilt, resolution);
    const auto find = [&] { return std::ranges::find_if(kept, [&key](const Kept& k) { return k.key == key; }); };

    std::unique_lock guard(fields.lock);
    for (;;) {
        auto it = find();
        if (it == kept.end()) break;
        if (it->ready) {
            kept.splice(kept.begin(), kept, it);
            return it->field;
        }
        // Another caller is making it: wait for it, or to be stopped. Should
        // that caller be stopped instead, the field is not kept and this one makes it.
        const auto settled = [&] {
            const auto k = find();
            return k == kept.end() || k->ready;
        };
        if (!made.wait(guard, stop, settled)) return nullptr;
    }
    kept.push_front({key, nullptr, false});
    const auto mine = kept.begin();  // only this caller erases it unready
    const auto giveUp = [&] {
        kept.erase(mine);
        made.notify_all();
    };
    guard.unlock();
    std::shared_ptr<const FlatField> field;
    try {
        field = FlatFieldFromCounts(resolution, FlatFieldCounts(quilt, resolution, threads, 0, 1, stop));
    } catch (...) {
        guard.lock();
        giveUp();
        throw;
    }
    guard.lock();
    if (stop.stop_requested()) {
        giveUp();
        return nullptr;
    }
    mine->field = field;
    mine->ready = true;
    std::size_t ready = 0;
    for (auto it = kept.begin(); it != kept.end();)
        it = it->ready && ++ready > 3 ? kept.erase(it) : std::next(it);
    made.notify_all();
    return field;
}

}  // namespace tilvex::studio

#include "explore/Gallery.h"

#include <algorithm>

#include <tbb/blocked_range.h>
#include <tbb/parallel_for.h>
#include <tbb/partitioner.h>
#include <tbb/task_arena.h>

#include "engine/QuiltControl.h"
#include "engine/RenderJob.h"
#include "studio/TileGeometry.h"
#include "engine/SessionFile.h"
#include "engine/TilvexApp.h"
#include "explore/QuiltScore.h"
#include "maps/QuiltKindNames.h"

namespace tilvex {

namespace {
// Four samples a pixel: the thumbnail is small, and its cost stays below the quilt's own.
constexpr double kThumbSamplesPerPixel = 4.0;
// A straight log-density curve: at four samples a pixel the usual 2.2 lifts
// the sparse background until it drowns the pattern.
constexpr double kThumbGamma = 1.0;
}  // namespace

std::string GalleryKind(const GalleryRequest& request, int index)
{
    if (request.kind != kAnyKind) return request.kind;
    const std::vector<std::string>& kinds = KindNames();
    return kinds[static_cast<std::size_t>(index) % kinds.size()];
}

double GallerySeed(const GalleryRequest& request, int index) { return request.baseSeed + index; }

std::optional<GalleryQuilt> MakeGalleryQuilt(int index, const GalleryRequest& request, std::stop_token stop)
{
    const double seed = GallerySeed(request, index);
    const std::string kind = GalleryKind(request, index);
    CTilvexApp app(seed);
    if (!app.InitInstance(AvailablePhysicalMemory())) return std::nullopt;
    NewQuiltRequest wanted;
    wanted.kind = *KindFromName(kind);
    NewQuilt(app, wanted);
    SetIterationLimit(app, request.maxIterations);
    RunToLimit(app, stop);
    if (!app.run.limitReached) return std::nullopt;

    GalleryQuilt made;
    made.index = index;
    made.seed = seed;
    made.kind = kind;
    made.name = app.QuiltName();
    made.session = EncodeSession(app);
    made.filledCells = app.grid.FilledCells();
    const int width = app.grid.width;
    made.counts.resize(static_cast<std::size_t>(width) * width);
    for (int x = 0; x < width; ++x)
        for (int y = 0; y < width; ++y) made.counts[static_cast<std::size_t>(x) * width + y] = app.grid.CountAt(x, y);
    made.snapshot = app.TakeSnapshot();
    return made;
}

studio::RenderSettings ThumbnailSpec(const QuiltSnapshot& quilt, int size)
{
    studio::RenderSettings renderSpec;
    // The tile's longer side is `size`: tall tiles (4-6-12) get narrower.
    const int height = studio::StudioTileHeight(quilt, size);
    renderSpec.width = height > size ? std::max(1, size * size / height) : size;
    renderSpec.samplesPerPixel = kThumbSamplesPerPixel;
    return renderSpec;
}

studio::Look ThumbnailLook()
{
    studio::Look look;
    look.colormap = "inferno";
    look.tone.gamma = kThumbGamma;
    return look;
}

studio::Rgb8Image GalleryThumbnail(std::shared_ptr<const QuiltSnapshot> quilt, int size)
{
    const studio::RenderSettings renderSpec = ThumbnailSpec(*quilt, size);
    RenderJob job(std::move(quilt), renderSpec, ThumbnailLook(), 1);  // the gallery runs one quilt per thread already
    job.SampleTo(job.Budget());
    return *studio::Quantise8(*job.Develop());
}

GalleryEntry FinishGalleryEntry(GalleryQuilt quilt, int thumbWidth)
{
    const double score = QuiltScore(quilt.counts);
    studio::Rgb8Image thumbnail = GalleryThumbnail(quilt.snapshot, thumbWidth);
    return GalleryEntry{std::move(quilt), score, std::move(thumbnail)};
}

GalleryRecord RecordOf(const GalleryEntry& entry)
{
    const GalleryQuilt& q = entry.quilt;
    return GalleryRecord{q.index, q.seed, q.kind, q.name, q.filledCells, entry.score};
}

void SortByScore(std::vector<GalleryRecord>& records)
{
    std::sort(records.begin(), records.end(), [](const GalleryRecord& a, const GalleryRecord& b) {
        if (a.score != b.score) return a.score > b.score;
        return a.index < b.index;
    });
}

int GalleryThreads(const GalleryRequest& request)
{
    const int all = std::max(1, tbb::this_task_arena::max_concurrency());
    return request.threads > 0 ? std::min(request.threads, all) : all;
}

std::optional<std::vector<GalleryRecord>> MakeGallery(const GalleryRequest& request,
                                                      const std::function<void(const GalleryEntry&)>& onEntry,
                                                      std::stop_token stop)
{
    std::vector<std::optional<GalleryRecord>> made(static_cast<std::size_t>(std::max(request.count, 0)));
    tbb::task_arena arena(GalleryThreads(request));
    arena.execute([&] {
        tbb::parallel_for(
            tbb::blocked_range<int>(0, static_cast<int>(made.size()), 1),
            [&](const tbb::blocked_range<int>& indices) {
                for (int i = indices.begin(); i < indices.end(); ++i) {
                    if (stop.stop_requested()) return;
                    std::optional<GalleryQuilt> quilt = MakeGalleryQuilt(i, request, stop);
                    if (!quilt) return;
                    const GalleryEntry entry = FinishGalleryEntry(std::move(*quilt), request.thumbWidth);
                    if (onEntry) onEntry(entry);
                    made[static_cast<std::size_t>(i)] = RecordOf(entry);
                }
            },
            tbb::simple_partitioner());
    });
    if (stop.stop_requested()) return std::nullopt;
    std::vector<GalleryRecord> records;
    records.reserve(made.size());
    for (std::optional<GalleryRecord>& record : made) {
        if (!record) return std::nullopt;
        records.push_back(std::move(*record));
    }
    SortByScore(records);
    return records;
}

}  // namespace tilvex

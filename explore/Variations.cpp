#include "explore/Variations.h"

#include <algorithm>
#include <cmath>

#include <tbb/parallel_for.h>
#include <tbb/task_arena.h>

#include "core/RandomSource.h"
#include "engine/QuiltCoefficients.h"
#include "engine/QuiltControl.h"
#include "engine/SessionFile.h"
#include "explore/QuiltScore.h"
#include "maps/QuiltKindNames.h"

namespace tilvex {

namespace {

struct Candidate {
    int index = 0;
    double seed = 0.0;
    QuiltMaps maps;
};

std::optional<GalleryQuilt> Grow(const Candidate& c, const VariationRequest& request, std::stop_token stop)
{
    CTilvexApp app(c.seed);
    if (!app.InitInstance(AvailablePhysicalMemory())) return std::nullopt;
    if (DecodeSession(app, request.centre.data(), request.centre.size())) return std::nullopt;
    StartFromCoefficients(app, c.maps);
    SetIterationLimit(app, request.maxIterations);
    RunToLimit(app, stop);
    const int width = app.grid.width;
    const bool finite = std::isfinite(app.orbit.point.re) && std::isfinite(app.orbit.point.im);
    if (!app.run.limitReached || app.counters.restarts > 0 || !finite ||
        app.grid.FilledCells() < kMinVariationFill * width * width)
        return std::nullopt;

    GalleryQuilt made;
    made.index = c.index;
    made.seed = c.seed;
    made.kind = KindName(app.Kind());
    made.name = app.QuiltName();
    made.session = EncodeSession(app);
    made.filledCells = app.grid.FilledCells();
    made.counts.resize(static_cast<std::size_t>(width) * width);
    for (int x = 0; x < width; ++x)
        for (int y = 0; y < width; ++y) made.counts[static_cast<std::size_t>(x) * width + y] = app.grid.CountAt(x, y);
    made.snapshot = app.TakeSnapshot();
    return made;
}

}  // namespace

std::optional<std::vector<GalleryEntry>> MakeVariations(const VariationRequest& request,
                                                        const std::function<void(const GalleryEntry&)>& onEntry,
                                                        std::stop_token stop)
{
    CTilvexApp centre(1.0);
    if (!centre.InitInstance(AvailablePhysicalMemory())) return std::nullopt;
    if (DecodeSession(centre, request.centre.data(), request.centre.size())) return std::nullopt;
    const ParameterTable& table = ParametersFor(FormOf(centre));

    RandomSource draws;
    draws.Seed(request.seed);
    auto draw = [&](int index) {
        Candidate c{index, std::fmod(request.seed + 1.0 + index, 4294967296.0), centre.maps};
        for (std::size_t i = 0; i < table.Size(); ++i) {
            const ParameterInfo& p = table.Parameters()[i];
            if (p.integer) continue;
            const double step = request.spread * (p.max - p.min) * (2.0 * RandomUnit(draws) - 1.0);
            table.Set(c.maps, i, std::clamp(table.Get(centre.maps, i) + step, p.min, p.max));
        }
        return c;
    };

    std::vector<GalleryEntry> kept;
    tbb::task_arena arena(GalleryThreads(GalleryRequest{.threads = request.threads}));
    int drawn = 0;
    while (static_cast<int>(kept.size()) < request.count && drawn < request.count * kVariationAttempts) {
        std::vector<Candidate> batch;
        const int wanted = request.count - static_cast<int>(kept.size());
        for (int i = 0; i < wanted; ++i) batch.push_back(draw(drawn++));
        std::vector<std::optional<GalleryEntry>> made(batch.size());
        arena.execute([&] {
            tbb::parallel_for(std::size_t{0}, batch.size(), [&](std::size_t i) {
                if (stop.stop_requested()) return;
                if (std::optional<GalleryQuilt> quilt = Grow(batch[i], request, stop))
                    made[i] = FinishGalleryEntry(std::move(*quilt), request.thumbWidth);
            });
        });
        if (stop.stop_requested()) return std::nullopt;
        for (std::optional<GalleryEntry>& entry : made) {
            if (!entry || static_cast<int>(kept.size()) == request.count) continue;
            kept.push_back(std::move(*entry));
            if (onEntry) onEntry(kept.back());
        }
    }
    return kept;
}

}  // namespace tilvex

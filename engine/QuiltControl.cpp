#include "engine/QuiltControl.h"

namespace tilvex {

void NewQuilt(CTilvexApp& app, const NewQuiltRequest& r)
{
    if (r.gridWidth) app.ApplyGridWidth(*r.gridWidth);
    const bool hexKind = r.kind == QuiltKind::Hex;
    if (r.detailed) {
        if (hexKind)
            app.detail.detailedHex = 1;
        else
            app.detail.detailedSquare = 1;
    }
    if (r.depth) {
        if (hexKind)
            app.detail.hexDetailDepth = *r.depth;
        else
            app.detail.squareDetailDepth = static_cast<std::uint16_t>(*r.depth);
    }
    if (r.knot) app.detail.hexKnot = 1;
    app.PushDetailToMaps(kAllDetail | (r.knot ? kHexKnot : 0u));

    // A random quilt of the kind, the detail settings as they now stand.
    ChooseMapFields choose = app.CurrentChooseMapFields();
    choose.useRandom = 1;
    app.ApplyChooseMap(r.kind, choose);
    if (r.cornerN) {
        // N replaces the map's own, over the coefficients just drawn.
        CornerWildFields corner = app.CurrentCornerWildFields();
        corner.cornerN = static_cast<unsigned>(*r.cornerN);
        corner.useRandom = 0;
        app.ApplyCornerWild(corner);
    }
}

void SetIterationLimit(CTilvexApp& app, int maxIterations) { app.counters.maxIterations = maxIterations; }

namespace {

// At every interval: the report, then whether to stop.
bool StopsAfterReport(const CTilvexApp& app, long long steps, const std::stop_token& stop,
                      const StepProgress& progress, long long progressInterval)
{
    if (progressInterval <= 0 || steps % progressInterval != 0) return false;
    if (progress) progress(app);
    return stop.stop_requested();
}

}  // namespace

long long RunSteps(CTilvexApp& app, long long n, std::stop_token stop, const StepProgress& progress,
                   long long progressInterval)
{
    long long steps = 0;
    while (steps < n) {
        app.OnIdle();
        ++steps;
        if (StopsAfterReport(app, steps, stop, progress, progressInterval)) return steps;
    }
    if (progress) progress(app);
    return steps;
}

long long RunToLimit(CTilvexApp& app, std::stop_token stop, const StepProgress& progress, long long progressInterval)
{
    long long steps = 0;
    do {
        app.OnIdle();
        ++steps;
        if (StopsAfterReport(app, steps, stop, progress, progressInterval)) return steps;
    } while (!app.run.limitReached);
    if (progress) progress(app);
    return steps;
}

}  // namespace tilvex

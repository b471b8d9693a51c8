// What the studio look costs: a 4096-pixel square tile at the default 16
// samples a pixel, sampled and developed, with the plain look (no density
// estimate, fixed exposure, colour by density) and with the full one
// (density estimate, flat field, percentile exposure, colour by direction).
// The ratio of the two times is the look's share; the counters split each
// time into sampling and develop.
#include <benchmark/benchmark.h>

#include <chrono>

#include "engine/QuiltControl.h"
#include "engine/RenderJob.h"
#include "engine/TilvexApp.h"

using namespace tilvex;

namespace {

void BM_StudioRender(benchmark::State& state)
{
    CTilvexApp app(7.0);
    app.InitInstance(1ull << 32);
    NewQuilt(app, NewQuiltRequest{});
    RunSteps(app, 1000000);
    const auto quilt = app.TakeSnapshot();
    studio::Look look;
    if (state.range(0) == 0) {
        look.denoise.on = false;
        look.tone.exposure = 0.0;
    } else {
        look.colorBy = studio::ColorBy::Direction;
    }
    using Clock = std::chrono::steady_clock;
    for (auto _ : state) {
        const auto start = Clock::now();
        RenderJob job(quilt, studio::RenderSettings{.width = 4096}, look, 0);
        job.SampleTo(job.Budget());
        const auto sampled = Clock::now();
        const std::optional<studio::FloatImage> image = job.Develop();
        std::vector<studio::RgbF> row(static_cast<std::size_t>(image->Width()));
        for (int y = 0; y < image->Height(); ++y) image->Row(y, row.data());
        benchmark::DoNotOptimize(row.data());
        state.counters["sample_s"] = std::chrono::duration<double>(sampled - start).count();
        state.counters["develop_s"] = std::chrono::duration<double>(Clock::now() - sampled).count();
    }
}

}  // namespace

// look: 0 plain, 1 full.
BENCHMARK(BM_StudioRender)->Arg(0)->Arg(1)->ArgName("look")->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

// The live preview's answer to a coefficient change in a 1024 x 1024 view:
// the quilt set up anew from the edited coefficients, its snapshot taken and
// rendered pass by pass as the desktop's preview does (each pass developed
// and quantised) at the size that fits the view, as the desktop renders it;
// the time to the first picture and to the 16-spp one.
#include <benchmark/benchmark.h>

#include <chrono>

#include "engine/PreviewPasses.h"
#include "engine/QuiltCoefficients.h"
#include "engine/QuiltControl.h"
#include "engine/TilvexApp.h"
#include "studio/Develop.h"

using namespace tilvex;

namespace {

void CoefficientChangeToPreview(benchmark::State& state)
{
    CTilvexApp app(12);
    app.InitInstance(1ull << 32);
    NewQuiltRequest request;
    request.kind = static_cast<QuiltKind>(state.range(0));
    NewQuilt(app, request);
    const ParameterTable& table = ParametersFor(FormOf(app));
    std::size_t edited = 0;
    while (table.Parameters()[edited].integer) ++edited;
    const ParameterInfo& p = table.Parameters()[edited];

    using Clock = std::chrono::steady_clock;
    int round = 0;
    // One change: seconds to the first picture and to the 16-spp one.
    const auto change = [&] {
        const auto start = Clock::now();
        QuiltMaps maps = app.maps;
        table.Set(maps, edited, p.min + (p.max - p.min) * (0.4 + 0.01 * (round++ % 10)));
        StartFromCoefficients(app, maps);
        const auto quilt = app.TakeSnapshot();
        RenderJob job(quilt, PreviewRenderSettings(FittedTileWidth(1024, 1024, *quilt, 1)), studio::Look{});
        double firstSeconds = -1.0;
        const std::vector<std::uint64_t> passes = PreviewPasses(job);
        for (std::uint64_t total : passes) {
            job.SampleTo(total);
            benchmark::DoNotOptimize(
                studio::Quantise8(*job.Develop({}, {}, PreviewWidth(job, total), PreviewFlatFieldUse(total, passes))));
            if (firstSeconds < 0.0) firstSeconds = std::chrono::duration<double>(Clock::now() - start).count();
        }
        return std::pair{firstSeconds, std::chrono::duration<double>(Clock::now() - start).count()};
    };
    // The quilt was on screen before the slider moved: what its kind and the
    // window's size fix (the fold's flat field) is made by then (the dock
    // readies it when it shows the quilt), and timed here once on its own as
    // the first preview of the kind.
    const double openFirst = change().first;
    double first = 0.0, sharp = 0.0;
    for (auto _ : state) {
        const auto [f, s] = change();
        first += f;
        sharp += s;
    }
    state.counters["open_first_ms"] = 1000.0 * openFirst;
    const double n = static_cast<double>(state.iterations());
    state.counters["first_ms"] = 1000.0 * first / n;
    state.counters["spp16_ms"] = 1000.0 * sharp / n;
}

}  // namespace

// 0 square, 1 hex, 2 4-6-12, 3 4-8-8, 4 3-12-12, 5 Wild Corner.
BENCHMARK(CoefficientChangeToPreview)->DenseRange(0, 5)->Unit(benchmark::kMillisecond)->UseRealTime();

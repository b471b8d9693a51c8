#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>

#include "engine/TilvexApp.h"
#include "engine/QuiltExport.h"

namespace tilvex {
namespace {

// An application with a full-size image block and a grid of n cells per side
// filled with varied counts.
std::unique_ptr<CTilvexApp> MakeApp(QuiltKind kind, int n)
{
    auto app = std::make_unique<CTilvexApp>(7.0);
    app->image.imageMemory.assign(ImageBlockSize(kDefaultMaxGridSize), 0);
    app->grid.AttachStorage(kDefaultMaxGridSize);
    app->grid.width = static_cast<std::uint16_t>(n);
    app->geometry.gridSize = static_cast<std::uint16_t>(n);
    app->geometry.gridScale = n;
    app->geometry.gridScaleInverse = 1.0 / n;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) app->grid.SetCount(i, j, static_cast<std::uint16_t>((i * i + 3 * j) % 977));
    app->grid.maxCount = 976;
    app->kindFlags.Clear();
    switch (kind) {
    case QuiltKind::Hex:
        app->kindFlags.kindHex = 1;
        app->maps.hex.SetGeometry(n);
        break;
    case QuiltKind::FourSixTwelve: app->kindFlags.kindFourSixTwelve = 1; break;
    case QuiltKind::FourEightEight: app->kindFlags.kindFourEightEight = 1; break;
    case QuiltKind::ThreeTwelveTwelve: app->kindFlags.kindThreeTwelveTwelve = 1; break;
    case QuiltKind::WildCorner: app->kindFlags.kindWildCorner = 1; break;
    case QuiltKind::Square: break;
    }
    return app;
}

void BM_BuildImage(benchmark::State& state, QuiltKind kind, int n)
{
    auto app = MakeApp(kind, n);
    for (auto _ : state) benchmark::DoNotOptimize(app->BuildImage());
    TileSize tile = app->CurrentTileSize();
    state.SetItemsProcessed(state.iterations() * tile.width * tile.height);
}
BENCHMARK_CAPTURE(BM_BuildImage, square_600, QuiltKind::Square, 600)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_BuildImage, hex_400, QuiltKind::Hex, 400)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_BuildImage, four_six_twelve_400, QuiltKind::FourSixTwelve, 400)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_BuildImage, four_eight_eight_400, QuiltKind::FourEightEight, 400)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_BuildImage, three_twelve_twelve_400, QuiltKind::ThreeTwelveTwelve, 400)->Unit(benchmark::kMillisecond);

void BM_WriteImage(benchmark::State& state, ImageFormat format)
{
    auto app = MakeApp(QuiltKind::Square, 600);
    std::string path = (std::filesystem::temp_directory_path() / "tilvex_render_bench.img").string();
    for (auto _ : state) {
        std::string error = ExportQuiltImage(*app, format, path, 4);
        if (!error.empty()) {
            state.SkipWithError(error.c_str());
            break;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(std::filesystem::file_size(path)) * state.iterations());
    std::remove(path.c_str());
}
BENCHMARK_CAPTURE(BM_WriteImage, bmp_600_period_4, ImageFormat::Bmp)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_WriteImage, pcx_600_period_4, ImageFormat::Pcx)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_WriteImage, png_600_period_4, ImageFormat::Png)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tilvex

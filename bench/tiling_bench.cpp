#include <benchmark/benchmark.h>

#include <cmath>

#include "maps/MapFourEight.h"
#include "maps/MapSixFourTwelve.h"
#include "maps/MapThreeTwelve.h"

namespace {

using tilvex::Complex;

constexpr int kGrid = 400;

// One period of the image in pixels, as the image builder sizes it.
struct TileExtent {
    int width, height;
};

TileExtent Extent(const tilvex::MapSixFourTwelve& m)
{
    return {2 * static_cast<int>(m.dodecagonCenter.re * kGrid), 2 * static_cast<int>(m.upperDodecagonCenter.im * kGrid)};
}
TileExtent Extent(const tilvex::MapFourEight&) { return {2 * kGrid, 2 * kGrid}; }
TileExtent Extent(const tilvex::MapThreeTwelve& m)
{
    return {2 * static_cast<int>(m.rightDodecagonCenter.re * kGrid), 2 * static_cast<int>(m.topDodecagonCenter.im * kGrid)};
}

template <class Map>
void BM_Step(benchmark::State& state)
{
    Map map;
    tilvex::RandomSource random;
    random.Seed(5.0);
    map.Randomize(random);
    Complex p{random.RandomUnit(), random.RandomUnit()};
    for (auto _ : state) {
        p = map.Iterate(p);
        benchmark::DoNotOptimize(p);
    }
    state.SetItemsProcessed(state.iterations());
}

template <class Map>
void BM_FoldTile(benchmark::State& state)
{
    Map map;
    const TileExtent tile = Extent(map);
    const double scale = kGrid, inverse = 1.0 / kGrid;
    for (auto _ : state) {
        long cells = 0;
        for (int y = 0; y < tile.height; ++y) {
            for (int x = 0; x < tile.width; ++x) {
                Complex p{x * inverse, y * inverse};
                Complex q = map.FoldToCell(p);
                cells += static_cast<long>(std::trunc(q.re * scale)) + static_cast<long>(std::trunc(q.im * scale));
            }
        }
        benchmark::DoNotOptimize(cells);
    }
    state.SetItemsProcessed(state.iterations() * tile.width * tile.height);
}

BENCHMARK(BM_Step<tilvex::MapSixFourTwelve>)->Name("Step/4-6-12");
BENCHMARK(BM_Step<tilvex::MapFourEight>)->Name("Step/4-8-8");
BENCHMARK(BM_Step<tilvex::MapThreeTwelve>)->Name("Step/3-12-12");
BENCHMARK(BM_FoldTile<tilvex::MapSixFourTwelve>)->Name("FoldTile400/4-6-12")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FoldTile<tilvex::MapFourEight>)->Name("FoldTile400/4-8-8")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FoldTile<tilvex::MapThreeTwelve>)->Name("FoldTile400/3-12-12")->Unit(benchmark::kMillisecond);

}  // namespace

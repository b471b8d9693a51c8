// One step of the hex map in each of its forms, fed back as the generation
// loop feeds it.
#include <benchmark/benchmark.h>

#include "core/RandomSource.h"
#include "maps/SqrMap.h"
#include "maps/HexMap.h"

namespace tilvex {
namespace {

HexMap MakeMap(int detailed)
{
    RandomSource random;
    random.Seed(3.0);
    HexMap map;
    map.Randomize(random, detailed);
    map.depth = 11;
    map.SetGeometry(200.0);
    return map;
}

void BM_HexPlainStep(benchmark::State& state)
{
    HexMap map = MakeMap(0);
    Complex p(0.3, 0.2);
    for (auto _ : state) {
        p = map.Iterate(p);
        benchmark::DoNotOptimize(p);
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_HexDetailedStepDepth11(benchmark::State& state)
{
    HexMap map = MakeMap(1);
    Complex p(0.3, 0.2);
    for (auto _ : state) {
        p = map.Iterate(p);
        benchmark::DoNotOptimize(p);
    }
    state.SetItemsProcessed(state.iterations());
}

// The knot step with the loop's reduction into the lattice cell and its
// return to the plane.
void BM_HexKnotStep(benchmark::State& state)
{
    HexMap map = MakeMap(0);
    Complex p(0.3, 0.2);
    for (auto _ : state) {
        Complex r = map.IterateKnot(p);
        double u = ReduceToUnit(r.re), v = ReduceToUnit(r.im);
        p = {u + 0.5 * v, map.halfHeight * v};
        benchmark::DoNotOptimize(p);
    }
    state.SetItemsProcessed(state.iterations());
}

// The fold alone, on points spread over several lattice cells.
void BM_HexFoldToCell(benchmark::State& state)
{
    HexMap map;
    double x = 0.0;
    for (auto _ : state) {
        x += 0.7318;
        if (x > 40.0) x -= 80.0;
        Complex r = map.FoldToCell({x, 0.61 * x});
        benchmark::DoNotOptimize(r);
    }
    state.SetItemsProcessed(state.iterations());
}

}  // namespace
}  // namespace tilvex

using namespace tilvex;

BENCHMARK(BM_HexPlainStep);
BENCHMARK(BM_HexDetailedStepDepth11);
BENCHMARK(BM_HexKnotStep);
BENCHMARK(BM_HexFoldToCell);

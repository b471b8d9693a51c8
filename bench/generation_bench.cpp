// The generation loop against the bare arithmetic of the map it iterates.
#include <benchmark/benchmark.h>

#include <climits>
#include <cmath>
#include <vector>

#include "engine/TilvexApp.h"

using namespace tilvex;

namespace {

void PrepareSquare(CTilvexApp& app, int detailed)
{
    app.InitInstance(1ull << 32);
    app.detail.detailedSquare = detailed;
    app.detail.squareDetailDepth = 6;
    app.PushDetailToMaps(kSquareDetail);
    app.RandomNewQuilt();
    app.counters.maxIterations = INT_MAX - 1;
}

void RunLoop(benchmark::State& state, int detailed)
{
    CTilvexApp app(7.0);
    PrepareSquare(app, detailed);
    for (auto _ : state) app.OnIdle();
    state.SetItemsProcessed(state.iterations());
    state.counters["restarts"] = app.counters.restarts;
}

void BM_SquarePlainLoop(benchmark::State& state) { RunLoop(state, 0); }
void BM_SquareDetailedLoop(benchmark::State& state) { RunLoop(state, 1); }

// Only the ten sines and cosines a plain square step evaluates, on the very
// points the quilt visits (recorded from its orbit), so both loops meet the
// same arguments.
void BM_BareSineCosine(benchmark::State& state)
{
    CTilvexApp app(7.0);
    PrepareSquare(app, 0);
    constexpr int kPoints = 1 << 16;
    std::vector<Complex> orbit(kPoints);
    for (int i = 0; i < 20000; ++i) app.OnIdle();
    for (Complex& p : orbit) {
        app.OnIdle();
        p = app.orbit.point;
    }
    const double twoPi = 6.283185307;
    int i = 0;
    for (auto _ : state) {
        const Complex p = orbit[i];
        i = (i + 1) & (kPoints - 1);
        double a = twoPi * p.re, b = twoPi * p.im;
        double a2 = a * 2, b2 = b * 2, a3 = a2 + a, b3 = b2 + b;
        double s = std::sin(a) + std::sin(a2) + std::sin(b) + std::sin(b2) + std::sin(a3) + std::cos(b2) +
                   std::cos(b) + std::sin(b3) + std::cos(a2) + std::cos(a);
        benchmark::DoNotOptimize(s);
    }
    state.SetItemsProcessed(state.iterations());
}

}  // namespace

BENCHMARK(BM_BareSineCosine);
BENCHMARK(BM_SquarePlainLoop);
BENCHMARK(BM_SquareDetailedLoop);

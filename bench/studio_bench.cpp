// The studio renderer's samples per second against the exact loop's steps
// per second, kind by kind, on each vector path, on one thread and on two,
// and against a practical bound: the library calls of its lane steps alone.
#include <benchmark/benchmark.h>

#include <climits>

#include "engine/QuiltControl.h"
#include "engine/TilvexApp.h"
#include "studio/Accumulator.h"
#include "studio/LaneBound.h"

using namespace tilvex;

namespace {

struct Kind {
    QuiltKind kind;
    int detailed, knot;
};

// 0 square, 1 square detailed, 2 hex, 3 hex knot, 4 hex detailed, 5 4-6-12, 6 4-8-8, 7 3-12-12, 8 Wild Corner.
const Kind kKinds[] = {
    {QuiltKind::Square, 0, 0},         {QuiltKind::Square, 1, 0},
    {QuiltKind::Hex, 0, 0},            {QuiltKind::Hex, 0, 1},
    {QuiltKind::Hex, 1, 0},            {QuiltKind::FourSixTwelve, 0, 0},
    {QuiltKind::FourEightEight, 0, 0}, {QuiltKind::ThreeTwelveTwelve, 0, 0},
    {QuiltKind::WildCorner, 0, 0},
};

void Prepare(CTilvexApp& app, int kindIndex)
{
    const Kind& kind = kKinds[kindIndex];
    app.InitInstance(1ull << 32);
    NewQuiltRequest request;
    request.kind = kind.kind;
    request.detailed = kind.detailed;
    request.knot = kind.knot;
    NewQuilt(app, request);
    RunSteps(app, 20000);
    SetIterationLimit(app, INT_MAX - 1);
}

void BM_ExactLoop(benchmark::State& state)
{
    CTilvexApp app(7.0);
    Prepare(app, static_cast<int>(state.range(0)));
    for (auto _ : state) app.OnIdle();
    state.SetItemsProcessed(state.iterations());
}

const studio::SimdPath kPaths[] = {studio::SimdPath::Scalar, studio::SimdPath::Avx2, studio::SimdPath::Avx512};

// One iteration: 8M samples, the orbits' warm-ups included, into a 2048-cell-square
// buffer (a 4096-pixel square tile).
void BM_StudioSamples(benchmark::State& state)
{
    const studio::SimdPath path = kPaths[state.range(1)];
    const int kind = static_cast<int>(state.range(2));
    if (!studio::SimdSupported(path)) {
        state.SkipWithError("this processor lacks the path");
        return;
    }
    CTilvexApp app(7.0);
    Prepare(app, kind);
    const auto quilt = app.TakeSnapshot();
    const std::uint64_t samples = 8 << 20;
    studio::RenderSettings renderSpec;
    renderSpec.simd = path;
    renderSpec.precision = static_cast<studio::Precision>(state.range(3));
    for (auto _ : state) {
        studio::Accumulator accumulator(quilt, 2048, renderSpec);
        accumulator.Run(samples, static_cast<int>(state.range(0)));
        benchmark::DoNotOptimize(accumulator.Density().Cells().data());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * samples));
}

// The library calls of 4096 steps of every lane of a warmed-up batch, made
// again on their recorded arguments; items are lane steps, one per sample.
void BM_LaneBound(benchmark::State& state)
{
    const studio::SimdPath path = kPaths[state.range(0)];
    if (!studio::SimdSupported(path)) {
        state.SkipWithError("this processor lacks the path");
        return;
    }
    CTilvexApp app(7.0);
    Prepare(app, static_cast<int>(state.range(1)));
    const auto quilt = app.TakeSnapshot();
    const studio::LaneParams params =
        studio::MakeLaneParams(quilt->kind, quilt->detail.hexKnot, quilt->maps.square, quilt->maps.hex,
                               quilt->maps.fourSixTwelve, quilt->maps.fourEightEight, quilt->maps.threeTwelveTwelve,
                               quilt->maps.wildCorner);
    studio::LaneState lanes;
    for (int l = 0; l < studio::kLanes; ++l)
        studio::StartLane(params, quilt->maps.hex, lanes, l, 0.1 + 0.1 * l, 0.85 - 0.1 * l);
    studio::StepLanes(path, studio::Precision::Exact, params, lanes, studio::kWarmUpSteps);
    const studio::LaneCallTape tape = studio::RecordLaneCalls(path, params, lanes, 4096);
    for (auto _ : state) benchmark::DoNotOptimize(studio::ReplayLaneCalls(tape));
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * tape.steps * studio::kLanes);
}

}  // namespace

// Wall-clock time for all, so a busy machine slows them alike.
BENCHMARK(BM_ExactLoop)->DenseRange(0, 8)->ArgName("kind")->UseRealTime();
// simd: 0 scalar, 1 AVX2, 2 AVX-512; precision: 0 exact, 1 fast; kind by kind,
// every path and thread count side by side.
BENCHMARK(BM_StudioSamples)
    ->ArgsProduct({{1, 2}, {0, 1, 2}, {0, 1, 2, 3, 4, 5, 6, 7, 8}, {0, 1}})
    ->ArgNames({"threads", "simd", "kind", "precision"})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
// Its share of the bound is BM_StudioSamples/threads:1/simd:S/kind:K/precision:0
// over BM_LaneBound/simd:S/kind:K, in items per second.
BENCHMARK(BM_LaneBound)->ArgsProduct({{0, 1, 2}, {0, 1, 2, 3, 4, 5, 6, 7, 8}})->ArgNames({"simd", "kind"})->UseRealTime();

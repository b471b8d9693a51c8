// The studio renderer's samples per second against the exact loop's steps
// per second, kind by kind, on one thread and on two.
#include <benchmark/benchmark.h>

#include <climits>

#include "core/TilvexApp.h"
#include "studio/StudioQuiltFromApp.h"
#include "studio/StudioRenderer.h"

using namespace tilvex;

namespace {

class KindChooser : public AcceptingInteraction {
public:
    explicit KindChooser(int button) : button_(button) {}
    void AskChooseMap(ChooseMapFields& f, ChooseMapModel& radios) override
    {
        if (radios.InitialButton() != button_) radios.Click(button_);
        f.useRandom = 1;
    }

private:
    int button_;
};

const int kButtons[] = {ChooseMapModel::kSquare,         ChooseMapModel::kHex,
                        ChooseMapModel::kFourSixTwelve,  ChooseMapModel::kFourEightEight,
                        ChooseMapModel::kThreeTwelveTwelve, ChooseMapModel::kWildCorner};

void Prepare(CTilvexApp& app, int kindIndex)
{
    KindChooser user(kButtons[kindIndex]);
    app.ui = &user;
    app.InitInstance(1ull << 32);
    app.OnSetMapping();
    app.ui = nullptr;
    for (int i = 0; i < 20000; ++i) app.OnIdle();
    app.maxIterations = INT_MAX - 1;
}

void BM_ExactLoop(benchmark::State& state)
{
    CTilvexApp app(7.0);
    Prepare(app, static_cast<int>(state.range(0)));
    for (auto _ : state) app.OnIdle();
    state.SetItemsProcessed(state.iterations());
}

// One iteration: 16M samples into a 2048-cell-square buffer (a 4096-pixel square tile).
void BM_StudioSamples(benchmark::State& state)
{
    CTilvexApp app(7.0);
    Prepare(app, static_cast<int>(state.range(0)));
    const studio::StudioQuilt quilt = studio::StudioQuiltFromApp(app);
    const std::uint64_t samples = 16 << 20;
    for (auto _ : state) {
        auto buffer = studio::Accumulate(quilt, state.range(2), samples, 0, static_cast<int>(state.range(1)), {});
        benchmark::DoNotOptimize(buffer);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * samples));
}

}  // namespace

// Kinds: 0 square, 1 hex, 2 4-6-12, 3 4-8-8, 4 3-12-12, 5 Wild Corner.
BENCHMARK(BM_ExactLoop)->DenseRange(0, 5)->ArgName("kind");
BENCHMARK(BM_StudioSamples)->ArgsProduct({{0, 1, 2, 3, 4, 5}, {1, 2}, {64, 2048}})->ArgNames({"kind", "threads", "res"})->UseRealTime()->Unit(benchmark::kMillisecond);

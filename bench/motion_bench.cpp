// A clip's frames per second at 1280x720 and 16 samples per pixel, and a
// frame's cost against a studio still of the same tile and samples: the
// frame's exposure share, interpolation, rendering, colouring and encoding
// against the still's rendering and PNG writing.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <chrono>
#include <ctime>
#include <filesystem>

#include "engine/QuiltControl.h"
#include "engine/RenderJob.h"
#include "engine/TilvexApp.h"
#include "motion/ClipWriter.h"

using namespace tilvex;

namespace {

std::shared_ptr<const QuiltSnapshot> HexQuilt(double seed)
{
    CTilvexApp app(seed);
    app.InitInstance(1ull << 32);
    NewQuiltRequest request;
    request.kind = QuiltKind::Hex;
    NewQuilt(app, request);
    RunSteps(app, 20000);
    return app.TakeSnapshot();
}

// Wall-clock and processor time (every thread of the process), so a busy machine can be told apart.
struct Clock {
    std::chrono::steady_clock::time_point wall = std::chrono::steady_clock::now();
    std::clock_t cpu = std::clock();
    double Wall() const { return std::chrono::duration<double>(std::chrono::steady_clock::now() - wall).count(); }
    double Cpu() const { return static_cast<double>(std::clock() - cpu) / CLOCKS_PER_SEC; }
};

// One iteration: a still, then a one-second clip at 24 frames per second (its
// exposure pilots included) into an MP4. The hex tile at 1280 pixels is 1280x739;
// the clip shows 720 rows of it. Timed per frame.
void BM_ClipFrame(benchmark::State& state)
{
    motion::ClipSettings settings;
    settings.seconds = 1.0;
    settings.fps = 24;
    settings.renderSpec.width = 1280;
    settings.renderSpec.samplesPerPixel = 16;
    settings.height = 720;
    const motion::Clip clip({{HexQuilt(3), {}, "a"}, {HexQuilt(4), {}, "b"}}, settings);
    const std::filesystem::path dir = std::filesystem::temp_directory_path();
    const std::string stem = "motion_bench_" + std::to_string(::getpid());
    double stills = 0.0, frames = 0.0, stillsCpu = 0.0, framesCpu = 0.0;
    // Made once per kind and size (the fold's flat field), so neither side pays it when timed.
    RenderJob(clip.Keys().front().quilt, settings.renderSpec, studio::Look{}).WritePng((dir / (stem + ".png")).string(), 1);
    for (auto _ : state) {
        Clock stillClock;
        RenderJob still(clip.Keys().front().quilt, settings.renderSpec, studio::Look{});
        still.WritePng((dir / (stem + ".png")).string(), 1);
        stills += stillClock.Wall();
        stillsCpu += stillClock.Cpu();
        Clock clipClock;
        const motion::ClipReport report = motion::WriteClip(clip, (dir / (stem + ".mp4")).string());
        const double frameSeconds = clipClock.Wall() / clip.Frames();
        framesCpu += clipClock.Cpu() / clip.Frames();
        if (!report.error.empty()) state.SkipWithError(report.error.c_str());
        state.SetIterationTime(frameSeconds);
        frames += frameSeconds;
    }
    std::filesystem::remove(dir / (stem + ".png"));
    std::filesystem::remove(dir / (stem + ".mp4"));
    state.counters["frames_per_second"] = state.iterations() / frames;
    state.counters["still_seconds"] = stills / state.iterations();
    state.counters["frame_to_still"] = frames / stills;
    state.counters["frame_to_still_cpu"] = framesCpu / stillsCpu;
}

}  // namespace

BENCHMARK(BM_ClipFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(2);

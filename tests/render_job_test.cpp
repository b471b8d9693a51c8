#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include <nlohmann/json.hpp>

#include "engine/QuiltControl.h"
#include "engine/RenderJob.h"
#include "engine/TilvexApp.h"
#include "studio/PicturePng.h"

namespace tilvex {
namespace {

namespace fs = std::filesystem;

std::shared_ptr<const QuiltSnapshot> SquareQuilt()
{
    CTilvexApp app(7.0);
    EXPECT_TRUE(app.InitInstance(1ull << 32));
    NewQuilt(app, NewQuiltRequest{});
    RunSteps(app, 20000);
    return app.TakeSnapshot();
}

// A stop asked for in any stage ends the job within a slice of that stage's
// work, and leaves neither the picture nor the writer's unfinished file.
TEST(RenderJob, StopInEveryStageEndsItThereAndLeavesNoFile)
{
    const auto quilt = SquareQuilt();
    const fs::path dir = fs::temp_directory_path() / ("render_job_test_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    for (RenderStage stopAt : {RenderStage::Sampling, RenderStage::Folding, RenderStage::Writing}) {
        studio::RenderSettings renderSpec;
        renderSpec.width = 1500;
        renderSpec.samplesPerPixel = stopAt == RenderStage::Sampling ? 500.0 : 0.05;
        RenderJob job(quilt, renderSpec, studio::Look{}, 2);
        std::stop_source stop;
        int reportsAfterStop = 0;
        RenderStage last = RenderStage::Sampling;
        const std::string error = job.WritePng((dir / "x.png").string(), 1, stop.get_token(), [&](RenderStage s, double) {
            last = s;
            if (stop.stop_requested()) ++reportsAfterStop;
            if (s == stopAt) stop.request_stop();
        });
        EXPECT_EQ(error, studio::kWriteStopped) << StageName(stopAt);
        EXPECT_EQ(last, stopAt) << "went on to a later stage";
        EXPECT_LE(reportsAfterStop, 2) << StageName(stopAt);  // each thread finishes the slice in hand
        if (stopAt == RenderStage::Sampling) {
            EXPECT_LT(job.Samples(), job.Budget() / 10);
        }
        EXPECT_TRUE(fs::is_empty(dir)) << StageName(stopAt);
    }
    fs::remove_all(dir);
}

TEST(RenderJob, LooksAndSpecsReadBackAndRefuseWhatTheyDoNotKnow)
{
    studio::Look look;
    look.gradient = {{1, 2, 3}, {250, 251, 252}};
    look.background = studio::Rgb8{9, 8, 7};
    look.tone.gamma = 1.7;
    look.tone.equalize = true;
    look.tone.exposure = -1.5;
    look.tone.vibrancy = 0.25;
    look.tone.highlight = 0.5;
    look.denoise = {true, studio::DenoiseFilter::Kernel, 4.5, 0.7, 1.0};
    look.colorBy = studio::ColorBy::Blend;
    look.oversample = 3;
    look.bitDepth = 16;
    EXPECT_EQ(nlohmann::json(look).get<studio::Look>(), look);
    // Looks written before the newer settings existed read with their defaults.
    EXPECT_EQ(nlohmann::json::parse(R"({"colormap": "magma"})").get<studio::Look>().denoise, studio::DenoiseSettings{});
    studio::RenderSettings renderSpec{.width = 300,
                                  .samplesPerPixel = 2.5,
                                  .seed = 1ull << 60,
                                  .simd = studio::SimdPath::Scalar,
                                  .precision = studio::Precision::Fast};
    EXPECT_EQ(nlohmann::json(renderSpec).get<studio::RenderSettings>(), renderSpec);

    for (const char* bad : {R"({"gama": 2})", R"({"gamma": 20})", R"({"gamma": "2"})", R"({"colormap": "jet"})",
                            R"({"gradient": ["#000000"]})", R"({"background": "red"})", R"([1, 2])",
                            R"({"exposure": "bright"})", R"({"exposure": 21})", R"({"vibrancy": 1.5})",
                            R"({"denoise": "on"})", R"({"denoiseRadius": 40})", R"({"denoiseMinRadius": 10})",
                            R"({"colorBy": "hue"})", R"({"oversample": 5})", R"({"bitDepth": 12})"}) {
        try {
            (void)nlohmann::json::parse(bad).get<studio::Look>();
            ADD_FAILURE() << bad << " was read";
        } catch (const std::invalid_argument&) {
        }
    }
    for (const char* bad : {R"({"width": 8})", R"({"width": 300.5})", R"({"seed": -1})", R"({"simd": "sse"})", R"({"precision": "rough"})",
                            R"({"chunks": 0})", R"({"spp": 4})"}) {
        try {
            (void)nlohmann::json::parse(bad).get<studio::RenderSettings>();
            ADD_FAILURE() << bad << " was read";
        } catch (const std::invalid_argument&) {
        }
    }
}

}  // namespace
}  // namespace tilvex

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <random>

#include "engine/QuiltControl.h"
#include "engine/TilvexApp.h"
#include "motion/ClipWriter.h"
#include "motion/FrameRenderer.h"
#include "motion/KeyQuilt.h"
#include "motion/VideoEncoder.h"

using namespace tilvex;
using namespace tilvex::motion;
namespace fs = std::filesystem;

namespace {

std::shared_ptr<const QuiltSnapshot> NewQuiltOf(QuiltKind kind, double seed)
{
    CTilvexApp app(seed);
    EXPECT_TRUE(app.InitInstance(1ull << 32));
    NewQuiltRequest request;
    request.kind = kind;
    NewQuilt(app, request);
    RunSteps(app, 20000);
    return app.TakeSnapshot();
}

ClipSettings Tiny(double seconds, int fps)
{
    ClipSettings s;
    s.seconds = seconds;
    s.fps = fps;
    s.renderSpec.width = 64;
    s.renderSpec.samplesPerPixel = 4;
    s.renderSpec.chunks = 8;
    return s;
}

studio::Look WithGamma(double gamma)
{
    studio::Look look;
    look.tone.gamma = gamma;
    return look;
}

Clip Morph(const ClipSettings& s, double seedA = 3, double seedB = 4)
{
    return Clip({{NewQuiltOf(QuiltKind::Square, seedA), {}, "a"}, {NewQuiltOf(QuiltKind::Square, seedB), WithGamma(3), "b"}},
                s);
}

fs::path TempDir(const char* name)
{
    fs::path dir = fs::temp_directory_path() / (std::string(name) + "-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

}  // namespace

// The path passes through every key exactly at its time, open or looped,
// and between two keys stays within their values.
TEST(KeyCurve, HitsEveryKeyAndKeepsWithinNeighbours)
{
    std::mt19937 random(5);
    std::uniform_real_distribution<double> value(-3.0, 3.0), gap(0.1, 2.0);
    for (double period : {0.0, 1.0}) {
        std::vector<double> t{0.25}, v;
        for (int k = 0; k < 7; ++k) {
            if (k) t.push_back(t.back() + gap(random));
            v.push_back(value(random));
        }
        if (period) period = t.back() - t.front() + 0.7;
        const KeyCurve curve(t, v, period);
        for (std::size_t k = 0; k < t.size(); ++k) {
            EXPECT_EQ(curve(t[k]), v[k]) << "key " << k << " period " << period;
            if (period) {
                EXPECT_NEAR(curve(t[k] + 2 * period), v[k], 1e-9) << "a lap later";
            }
        }
        for (std::size_t k = 0; k + 1 < t.size(); ++k)
            for (double s = 0.05; s < 1.0; s += 0.05) {
                const double x = curve(t[k] + s * (t[k + 1] - t[k]));
                EXPECT_GE(x, std::min(v[k], v[k + 1]) - 1e-12);
                EXPECT_LE(x, std::max(v[k], v[k + 1]) + 1e-12);
            }
    }
}

TEST(Clip, FramesAreSecondsTimesFpsAndKeysAreHitAtTheirTimes)
{
    ClipSettings s = Tiny(1.5, 10);
    EXPECT_EQ(Morph(s).Frames(), 15);
    s.loop = true;
    EXPECT_EQ(Morph(s).Frames(), 15);

    s = Tiny(2.0, 12);
    s.keyTimes = {0.0, 0.7, 2.0};
    const std::vector<std::shared_ptr<const QuiltSnapshot>> quilts = {
        NewQuiltOf(QuiltKind::Hex, 1), NewQuiltOf(QuiltKind::Hex, 2), NewQuiltOf(QuiltKind::Hex, 3)};
    const Clip clip({{quilts[0], {}, "a"}, {quilts[1], {}, "b"}, {quilts[2], {}, "c"}}, s);
    EXPECT_EQ(clip.FrameTime(0), 0.0);
    EXPECT_EQ(clip.FrameTime(clip.Frames() - 1), 2.0);
    for (int k = 0; k < 3; ++k) EXPECT_EQ(clip.ParametersAt(s.keyTimes[k]), ParametersOf(*quilts[k], clip.Form()));
}

TEST(Clip, RefusesKeysOfDifferentKindsOrLooksThatDifferInMoreThanNumbers)
{
    const auto square = NewQuiltOf(QuiltKind::Square, 1), hex = NewQuiltOf(QuiltKind::Hex, 2);
    try {
        Clip({{square, {}, "a.qlt"}, {hex, {}, "b.qlt"}}, Tiny(1, 4));
        FAIL() << "kinds differ";
    } catch (const std::invalid_argument& e) {
        EXPECT_NE(std::string(e.what()).find("b.qlt) is a hex quilt"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("a.qlt) a square"), std::string::npos) << e.what();
    }
    studio::Look magma;
    magma.colormap = "magma";
    try {
        Clip({{square, {}, "a"}, {square, magma, "b"}}, Tiny(1, 4));
        FAIL() << "colour maps differ";
    } catch (const std::invalid_argument& e) {
        EXPECT_NE(std::string(e.what()).find("'colormap'"), std::string::npos) << e.what();
    }
}

// Across the seam of a loop the coefficients and the look move as smoothly as
// between any two neighbouring frames: steps and their changes are no larger.
TEST(Clip, LoopSeamIsAsSmoothAsAnyTwoNeighbours)
{
    ClipSettings s = Tiny(2.0, 24);
    s.loop = true;
    s.keyTimes = {0.0, 0.5, 1.1};
    const Clip clip({{NewQuiltOf(QuiltKind::Square, 3), {}, "a"},
                     {NewQuiltOf(QuiltKind::Square, 4), WithGamma(4), "b"},
                     {NewQuiltOf(QuiltKind::Square, 5), WithGamma(1.5), "c"}},
                    s);
    const int n = clip.Frames();
    std::vector<std::vector<double>> frames;
    for (int i = 0; i < n; ++i) {
        frames.push_back(clip.ParametersAt(clip.FrameTime(i)));
        frames.back().push_back(clip.LookAt(clip.FrameTime(i)).tone.gamma);
    }
    for (std::size_t p = 0; p < frames[0].size(); ++p) {
        const auto at = [&](int i) { return frames[static_cast<std::size_t>((i + n) % n)][p]; };
        double step = 0.0, bend = 0.0;
        for (int i = 1; i + 1 < n; ++i) {
            step = std::max(step, std::fabs(at(i) - at(i - 1)));
            bend = std::max(bend, std::fabs(at(i + 1) - 2 * at(i) + at(i - 1)));
        }
        EXPECT_LE(std::fabs(at(0) - at(-1)), step + 1e-12) << "parameter " << p;
        EXPECT_LE(std::fabs(at(1) - 2 * at(0) + at(-1)), bend + 1e-12) << "parameter " << p;
        EXPECT_LE(std::fabs(at(0) - 2 * at(-1) + at(-2)), bend + 1e-12) << "parameter " << p;
    }
}

TEST(FrameRenderer, EqualKeysGiveIdenticalFramesAndAMorphMoves)
{
    const auto quilt = NewQuiltOf(QuiltKind::WildCorner, 9);
    ClipSettings s = Tiny(1.0, 4);
    s.motionBlur = 2;
    const Clip still({{quilt, {}, "a"}, {quilt, {}, "b"}}, s);
    FrameRenderer renderer(still, *ClipExposure(still, 2), 2);
    const auto first = renderer.Picture(*renderer.Render(0));
    for (int i = 1; i < still.Frames(); ++i) EXPECT_EQ(renderer.Picture(*renderer.Render(i))->pixels, first->pixels);

    const Clip morph = Morph(Tiny(1.0, 4));
    FrameRenderer moving(morph, *ClipExposure(morph, 2), 2);
    EXPECT_NE(moving.Picture(*moving.Render(0))->pixels, moving.Picture(*moving.Render(3))->pixels);
}

// MP4 and WebM decode to the clip's frames at its size; a folder gets one PNG a frame.
TEST(ClipWriter, WritesFilesThatDecodeToTheClipsFrames)
{
    const fs::path dir = TempDir("motion_test_write");
    ClipSettings s = Tiny(0.5, 10);
    s.height = 50;
    const Clip clip = Morph(s);
    for (const char* name : {"clip.mp4", "clip.webm"}) {
        const ClipReport report = WriteClip(clip, (dir / name).string(), 2);
        ASSERT_EQ(report.error, "");
        const VideoProbe probe = ProbeVideo((dir / name).string());
        EXPECT_EQ(probe.error, "");
        EXPECT_EQ(probe.codec, report.codec);
        EXPECT_EQ(probe.pixelFormat, "yuv420p");
        EXPECT_EQ(probe.frames, 5) << name;
        EXPECT_EQ(probe.width, 64);
        EXPECT_EQ(probe.height, 50);
    }
    ASSERT_EQ(WriteClip(clip, (dir / "frames/").string(), 2).error, "");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "frames"), fs::directory_iterator{}), 5);
    EXPECT_TRUE(fs::exists(dir / "frames" / "frame-00004.png"));
    fs::remove_all(dir);
}

TEST(ClipWriter, AStoppedClipLeavesNothing)
{
    const fs::path dir = TempDir("motion_test_stop");
    const Clip clip = Morph(Tiny(1.0, 8));
    for (const char* name : {"clip.mp4", "clip.webm", "frames/"}) {
        std::stop_source stop;
        const ClipReport report = WriteClip(clip, (dir / name).string(), 2, stop.get_token(), [&](double, int frame) {
            if (frame == 2) stop.request_stop();
        });
        EXPECT_TRUE(report.stopped) << name;
        EXPECT_LT(report.frames, clip.Frames()) << name;
    }
    // The frames' folder itself may stay, empty; nothing else.
    fs::remove(dir / "frames");
    EXPECT_TRUE(fs::is_empty(dir));
    fs::remove_all(dir);
}

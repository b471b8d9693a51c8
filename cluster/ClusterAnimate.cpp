#include "cluster/ClusterAnimate.h"

#include <chrono>
#include <cstring>
#include <exception>
#include <new>
#include <optional>

#include "cluster/Deal.h"
#include "motion/ClipOutput.h"
#include "motion/FrameRenderer.h"

namespace tilvex::cluster {

namespace {

// A frame on the wire: 1 and its pixels, or 0 alone for a frame its rank could not render.
std::vector<std::uint8_t> FrameBytes(const studio::Rgb8Image* frame)
{
    std::vector<std::uint8_t> bytes(1, frame ? 1 : 0);
    if (!frame) return bytes;
    static_assert(sizeof(studio::Rgb8) == 3);
    bytes.resize(1 + frame->pixels.size() * sizeof(studio::Rgb8));
    std::memcpy(bytes.data() + 1, frame->pixels.data(), frame->pixels.size() * sizeof(studio::Rgb8));
    return bytes;
}

std::optional<studio::Rgb8Image> FrameOf(const std::vector<std::uint8_t>& bytes, int width, int height)
{
    const std::size_t pixels = static_cast<std::size_t>(width) * height;
    if (bytes.size() != 1 + pixels * sizeof(studio::Rgb8) || bytes[0] != 1) return std::nullopt;
    studio::Rgb8Image frame;
    frame.width = width;
    frame.height = height;
    frame.pixels.resize(pixels);
    std::memcpy(frame.pixels.data(), bytes.data() + 1, pixels * sizeof(studio::Rgb8));
    return frame;
}

// One frame on this rank; empty, with failure said, when it cannot be.
std::optional<studio::Rgb8Image> RenderFrame(motion::FrameRenderer& renderer, int frame, std::string& failure,
                                             const studio::ShareDone& progress)
{
    try {
        std::optional<studio::FloatImage> tile = renderer.Render(frame, {}, progress);
        if (tile)
            if (std::optional<studio::Rgb8Image> picture = renderer.Picture(*tile)) return picture;
        failure = "frame " + std::to_string(frame + 1) + " could not be rendered";
    } catch (const std::bad_alloc&) {
        failure = "not enough memory for frame " + std::to_string(frame + 1);
    } catch (const std::exception& e) {
        failure = e.what();
    }
    return std::nullopt;
}

}  // namespace

ClusterClipOutcome WriteClipOnCluster(const Cluster& cluster, const motion::Clip& clip, const std::string& path,
                                      int threads, const motion::ClipProgress& progress)
{
    const auto start = std::chrono::steady_clock::now();
    ClusterClipOutcome outcome;
    motion::ClipReport& report = outcome.report;
    std::unique_ptr<motion::ClipOutput> output;
    if (cluster.Leads()) {
        output = motion::OpenClipOutput(path, clip.FrameWidth(), clip.FrameHeight(), clip.Settings().fps, report.error);
        if (output) report.codec = output->Codec();
    }
    if ((report.error = cluster.Broadcast(report.error)); !report.error.empty()) return outcome;

    const int frames = clip.Frames();
    const double unit = 1.0 / (frames + 1.0);
    const auto show = [&](double done, int frame) {
        if (progress) progress(done, frame);
    };
    studio::ToneScale exposure;
    if (cluster.Leads())
        exposure = motion::ClipExposure(clip, threads, {}, [&](double done) { show(unit * done, -1); })
                       .value_or(studio::ToneScale{});
    exposure.logBlack = cluster.Broadcast(exposure.logBlack);
    exposure.logWhite = cluster.Broadcast(exposure.logWhite);

    // After a failure a rank renders no more, but still sends a message for
    // each of its frames, so rank 0 never waits for one.
    motion::FrameRenderer renderer(clip, exposure, threads);
    std::string failure;
    if (!cluster.Leads()) {
        for (int frame : DealtItems(frames, cluster.Rank(), cluster.Ranks())) {
            std::optional<studio::Rgb8Image> picture;
            if (failure.empty()) picture = RenderFrame(renderer, frame, failure, {});
            cluster.Send(0, FrameBytes(picture ? &*picture : nullptr));
        }
    } else {
        for (int i = 0; i < frames; ++i) {
            const int owner = OwnerOfItem(i, cluster.Ranks());
            std::optional<studio::Rgb8Image> picture;
            if (owner == 0) {
                if (failure.empty())
                    picture = RenderFrame(renderer, i, failure, [&](double done) { show(unit * (1.0 + i + done), i); });
            } else {
                picture = FrameOf(cluster.Receive(owner), clip.FrameWidth(), clip.FrameHeight());
            }
            if (!picture || !report.error.empty() || !failure.empty()) continue;  // the ranks' failures are agreed below
            const PngImageFile::TextChunks note =
                output->Codec() == std::string("png") ? motion::FrameNote(clip, i) : PngImageFile::TextChunks{};
            if ((report.error = output->Add(*picture, note)).empty()) report.frames = i + 1;
            show(unit * (2.0 + i), i);
        }
    }
    outcome.failures = cluster.Agree(failure);
    if (cluster.Leads()) {
        if (outcome.failures.empty() && report.error.empty())
            report.error = output->Finish();
        output.reset();  // unfinished, it takes what it wrote away with it
    }
    report.error = cluster.Broadcast(report.error);
    report.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return outcome;
}

}  // namespace tilvex::cluster

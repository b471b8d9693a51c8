#include "motion/ClipWriter.h"

#include <chrono>

#include "motion/ClipOutput.h"
#include "motion/FrameRenderer.h"
#include "studio/PictureNote.h"

namespace tilvex::motion {

PngImageFile::TextChunks FrameNote(const Clip& clip, int frame)
{
    const double t = clip.FrameTime(frame);
    return studio::MakePictureNote(*clip.QuiltAt(t), clip.Settings().renderSpec, clip.LookAt(t), 1).Chunks();
}

ClipReport WriteClip(const Clip& clip, const std::string& path, int threads, std::stop_token stop,
                     const ClipProgress& progress)
{
    const auto start = std::chrono::steady_clock::now();
    ClipReport report;
    std::unique_ptr<ClipOutput> output =
        OpenClipOutput(path, clip.FrameWidth(), clip.FrameHeight(), clip.Settings().fps, report.error);
    if (!output) return report;
    report.codec = output->Codec();

    // The exposure's pilots weigh about as much as one frame.
    const double frames = clip.Frames();
    const double unit = 1.0 / (frames + 1.0);
    const auto show = [&](double done, int frame) {
        if (progress) progress(done, frame);
    };
    std::optional<studio::ToneScale> exposure =
        ClipExposure(clip, threads, stop, [&](double done) { show(unit * done, -1); });
    if (!exposure) {
        report.stopped = true;
        return report;
    }
    FrameRenderer renderer(clip, *exposure, threads);
    for (int i = 0; i < clip.Frames(); ++i) {
        std::optional<studio::FloatImage> tile =
            renderer.Render(i, stop, [&](double done) { show(unit * (1.0 + i + done), i); });
        std::optional<studio::Rgb8Image> picture;
        if (tile) picture = renderer.Picture(*tile, stop);
        if (!picture) {
            report.stopped = true;
            return report;
        }
        const PngImageFile::TextChunks note =
            output->Codec() == std::string("png") ? FrameNote(clip, i) : PngImageFile::TextChunks{};
        if ((report.error = output->Add(*picture, note)); !report.error.empty()) return report;
        report.frames = i + 1;
        show(unit * (2.0 + i), i);
    }
    if (stop.stop_requested()) {
        report.stopped = true;
        return report;
    }
    report.error = output->Finish();
    report.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return report;
}

}  // namespace tilvex::motion

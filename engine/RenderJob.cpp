#include "engine/RenderJob.h"

#include <tbb/task_arena.h>

#include <algorithm>
#include <cmath>
#include <type_traits>

#include "studio/Develop.h"
#include "studio/FlatField.h"
#include "studio/PictureNote.h"
#include "studio/PictureExr.h"
#include "studio/PicturePng.h"
#include "studio/TileGeometry.h"

namespace tilvex {

const char* StageName(RenderStage stage)
{
    switch (stage) {
    case RenderStage::Sampling: return "sampling";
    case RenderStage::Folding: return "folding";
    case RenderStage::Writing: return "writing";
    }
    return "";
}

RenderJob::RenderJob(std::shared_ptr<const QuiltSnapshot> quilt, const studio::RenderSettings& renderSpec,
                     const studio::Look& look, int threads)
    : quilt_(std::move(quilt)),
      renderSpec_(renderSpec),
      look_(look),
      threads_(threads),
      width_(std::max(renderSpec.width, 1)),
      height_(studio::StudioTileHeight(*quilt_, width_))
{
    StartSampling();
}

namespace {

// What of a look is decided while sampling: the buffer's resolution, and
// how samples are coloured (by structure, the colour map too).
bool SamplesAlike(const studio::Look& a, const studio::Look& b)
{
    if (a.oversample != b.oversample || a.colorBy != b.colorBy) return false;
    return a.colorBy == studio::ColorBy::Density || (a.colormap == b.colormap && a.gradient == b.gradient);
}

}  // namespace

void RenderJob::StartSampling()
{
    const int resolution = studio::StudioResolution(*quilt_, width_) * look_.oversample;
    std::optional<studio::SampleColouring> colouring;
    if (look_.colorBy != studio::ColorBy::Density)
        colouring = studio::SampleColouring{look_.colorBy, studio::Colours(look_, quilt_->paletteEntries)};
    accumulator_ = std::make_unique<studio::Accumulator>(quilt_, resolution, renderSpec_, std::move(colouring));
}

void RenderJob::SetLook(const studio::Look& look)
{
    const bool resample = !SamplesAlike(look, look_);
    look_ = look;
    if (resample) StartSampling();
}

int RenderJob::Threads() const { return studio::ThreadCount(threads_); }

std::uint64_t RenderJob::Budget() const
{
    const double pixels = static_cast<double>(width_) * height_;
    return static_cast<std::uint64_t>(std::max(1.0, std::llround(renderSpec_.samplesPerPixel * pixels) * 1.0));
}

bool RenderJob::SampleTo(std::uint64_t total, std::stop_token stop, const RenderProgress& progress)
{
    // What was asked before counts, taken or not: a stopped pass is finished
    // first, and a share's own chunks are all this job takes.
    const std::uint64_t asked = accumulator_->Target();
    return accumulator_->Run(total > asked ? total - asked : 0, threads_, stop, [&progress](double done) {
        if (progress) progress(RenderStage::Sampling, done);
    });
}

std::optional<studio::FloatImage> RenderJob::Develop(std::stop_token stop, const RenderProgress& progress,
                                                    int width, studio::FlatFieldUse flatUse) const
{
    return studio::Develop(
        *quilt_, accumulator_->Density(), width > 0 ? width : width_, look_, threads_, stop,
        [&progress](double done) {
            if (progress) progress(RenderStage::Folding, done);
        },
        accumulator_->Colours(), flatUse);
}

void RenderJob::PrepareDevelop(std::stop_token stop) const
{
    studio::FlatFieldFor(*quilt_, accumulator_->Density().Resolution(), threads_, stop);
}

std::string RenderJob::Write(const Outputs& o, std::stop_token stop, const RenderProgress& progress)
{
    if (std::string problem = studio::CheckPictureSize(*quilt_, width_, o.period); !problem.empty()) return problem;
    if (!SampleTo(Budget(), stop, progress)) return studio::kWriteStopped;
    std::optional<studio::FloatImage> image = studio::DevelopSpending(
        *quilt_, accumulator_->SpendDensity(), width_, look_, threads_, stop,
        [&progress](double done) {
            if (progress) progress(RenderStage::Folding, done);
        },
        accumulator_->Colours());
    if (!image) return studio::kWriteStopped;
    return WritePicture(*image, o, stop, progress);
}

template <class Picture>
std::string RenderJob::WriteFiles(const Picture& image, const Outputs& o, std::stop_token stop,
                                  const RenderProgress& progress) const
{
    if (std::string problem = studio::CheckPictureSize(*quilt_, width_, o.period); !problem.empty()) return problem;
    studio::RenderSettings made = renderSpec_;
    made.simd = accumulator_->Path();  // the path that ran (the picture is the same on any)
    const studio::PictureNote note = studio::MakePictureNote(*quilt_, made, look_, o.period, o.session);
    const int files = (o.png.empty() ? 0 : 1) + (o.exr.empty() ? 0 : 1);
    int written = 0;
    auto share = [&progress, &written, files](double done) {
        if (progress) progress(RenderStage::Writing, (written + done) / std::max(files, 1));
    };
    studio::PictureFormat format;
    format.bitDepth = look_.bitDepth;
    format.dpi = o.dpi;
    // Colouring rows is parallel: on the job's threads, as its other stages.
    tbb::task_arena arena(studio::ThreadCount(threads_));
    return arena.execute([&]() -> std::string {
        if (!o.png.empty()) {
            if (std::string error = studio::WritePicturePng(image, o.period, o.png, note.Chunks(), stop, share, format);
                !error.empty())
                return error;
            ++written;
        }
        if (o.exr.empty()) return {};
        if constexpr (std::is_same_v<Picture, studio::FloatImage>)
            return studio::WritePictureExr(image, o.period, o.exr, note, stop, share);
        else
            return "an OpenEXR file is written from the picture's colours before quantisation";
    });
}

std::string RenderJob::WritePicture(const studio::FloatImage& image, const Outputs& o, std::stop_token stop,
                                    const RenderProgress& progress) const
{
    return WriteFiles(image, o, stop, progress);
}

std::string RenderJob::WritePicture(const studio::Rgb8Image& image, const Outputs& o, std::stop_token stop,
                                    const RenderProgress& progress) const
{
    if (look_.bitDepth != 8) return "a 16-bit PNG is written from the picture's colours before quantisation";
    return WriteFiles(image, o, stop, progress);
}

std::string RenderJob::WritePng(const std::string& path, int period, std::stop_token stop,
                                const RenderProgress& progress)
{
    Outputs outputs;
    outputs.png = path;
    outputs.period = period;
    return Write(outputs, stop, progress);
}

std::vector<std::uint64_t> ProgressivePasses(std::uint64_t budget, std::uint64_t first)
{
    std::vector<std::uint64_t> passes;
    for (std::uint64_t n = std::max<std::uint64_t>(first, 1); n < budget; n *= 2) passes.push_back(n);
    passes.push_back(budget);
    return passes;
}

}  // namespace tilvex

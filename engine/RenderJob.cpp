#include "engine/RenderJob.h"

#include <algorithm>
#include <cmath>

#include "studio/Develop.h"
#include "studio/PictureNote.h"
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

RenderJob::RenderJob(std::shared_ptr<const QuiltSnapshot> quilt, const studio::RenderSpec& renderSpec,
                     const studio::Look& look, int threads)
    : quilt_(std::move(quilt)),
      renderSpec_(renderSpec),
      look_(look),
      threads_(threads),
      width_(std::max(renderSpec.width, 1)),
      height_(studio::StudioTileHeight(*quilt_, width_)),
      accumulator_(std::make_unique<studio::Accumulator>(quilt_, studio::StudioResolution(*quilt_, width_), renderSpec_))
{
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

std::optional<studio::FloatImage> RenderJob::Develop(std::stop_token stop, const RenderProgress& progress) const
{
    return studio::Develop(*quilt_, accumulator_->Density(), width_, look_, threads_, stop, [&progress](double done) {
        if (progress) progress(RenderStage::Folding, done);
    });
}

std::string RenderJob::WritePng(const std::string& path, int period, std::stop_token stop,
                                const RenderProgress& progress)
{
    if (std::string problem = studio::CheckPictureSize(*quilt_, width_, period); !problem.empty()) return problem;
    if (!SampleTo(Budget(), stop, progress)) return studio::kWriteStopped;
    std::optional<studio::FloatImage> image = Develop(stop, progress);
    if (!image) return studio::kWriteStopped;
    studio::RenderSpec made = renderSpec_;
    made.simd = accumulator_->Path();  // the path that ran (the picture is the same on any)
    return studio::WritePicturePng(*image, period, path, studio::PictureNote(*quilt_, made, look_, period), stop,
                                   [&progress](double done) {
                                       if (progress) progress(RenderStage::Writing, done);
                                   });
}

std::vector<std::uint64_t> ProgressivePasses(std::uint64_t budget, std::uint64_t first)
{
    std::vector<std::uint64_t> passes;
    for (std::uint64_t n = std::max<std::uint64_t>(first, 1); n < budget; n *= 2) passes.push_back(n);
    passes.push_back(budget);
    return passes;
}

}  // namespace tilvex

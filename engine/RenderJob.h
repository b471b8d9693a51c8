#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <stop_token>
#include <string>
#include <vector>

#include "render/QuiltSnapshot.h"
#include "studio/Accumulator.h"
#include "studio/Develop.h"
#include "studio/FloatImage.h"
#include "studio/Look.h"
#include "studio/RenderSettings.h"

namespace tilvex {

// The stages of a studio render, in order.
enum class RenderStage { Sampling, Folding, Writing };
const char* StageName(RenderStage stage);

// Called from the working thread with the stage and its share done (0..1).
using RenderProgress = std::function<void(RenderStage stage, double done)>;

// One studio picture of one quilt: the quilt as a snapshot, what it is
// sampled with and how it looks, all values. Samples are taken in passes of
// a given count (never a given time, so a pass's result does not depend on
// the machine); the density survives them, so a later pass adds to it and a
// new look develops it again without sampling. Every stage stops promptly
// when its stop token asks.
class RenderJob {
public:
    RenderJob(std::shared_ptr<const QuiltSnapshot> quilt, const studio::RenderSettings& renderSpec, const studio::Look& look,
              int threads = 0);

    const QuiltSnapshot& Quilt() const { return *quilt_; }
    const studio::RenderSettings& Sampling() const { return renderSpec_; }
    const studio::Look& Look() const { return look_; }
    // A look that samples differently (another oversampling or colouring)
    // starts the samples over; any other develops the samples taken.
    void SetLook(const studio::Look& look);
    int Threads() const;  // in use
    studio::SimdPath Path() const { return accumulator_->Path(); }

    int Width() const { return width_; }
    int Height() const { return height_; }
    // The sample budget: samples per pixel times the tile's pixels.
    std::uint64_t Budget() const;
    std::uint64_t Samples() const { return accumulator_->Samples(); }
    const studio::DensityBuffer& Density() const { return accumulator_->Density(); }
    // The samples' colour sums, when the look colours by structure; else null.
    const studio::ColourSums* Colours() const { return accumulator_->Colours(); }

    // Work spread over processes: this job samples chunks [first, first + count)
    // of its budget only; the other shares' densities are merged in slices.
    void TakeShare(int firstChunk, int chunkCount) { accumulator_->TakeShare(firstChunk, chunkCount); }
    int Chunks() const { return accumulator_->Chunks(); }
    void MergeDensity(std::size_t firstCell, std::span<const std::uint32_t> counts)
    {
        accumulator_->MergeCells(firstCell, counts);
    }
    // Cells that become the whole render's sums, made elsewhere.
    void AssignDensity(std::size_t firstCell, std::span<const std::uint32_t> counts)
    {
        accumulator_->AssignCells(firstCell, counts);
    }
    void AssignColourSums(std::size_t first, std::span<const std::uint32_t> sums)
    {
        accumulator_->AssignColourSums(first, sums);
    }

    // Takes samples until `total` have been asked of the chunks. False when stopped.
    bool SampleTo(std::uint64_t total, std::stop_token stop = {}, const RenderProgress& progress = {});
    // The picture of the samples so far, under the current look, `width`
    // pixels wide (0: the job's). Empty when stopped.
    std::optional<studio::FloatImage> Develop(std::stop_token stop = {}, const RenderProgress& progress = {},
                                              int width = 0,
                                              studio::FlatFieldUse flatUse = studio::FlatFieldUse::MakeIfNeeded) const;
    // Makes beforehand what every development of this kind at this size
    // shares (the fold's flat field), so a later first pass is not held up.
    void PrepareDevelop(std::stop_token stop = {}) const;
    // Where a picture goes and what it carries besides the job's settings.
    struct Outputs {
        std::string png, exr;                 // either may be empty
        int period = 1;
        int dpi = 0;                          // 0: no physical size
        std::vector<std::uint8_t> session;    // the quilt's session bytes, if known
    };
    // Samples to the budget, develops and writes period x period tiles as a
    // PNG and/or an OpenEXR file carrying the job's settings. Empty on
    // success, else a message. The job's last act once it develops: its
    // samples are freed before the picture is folded.
    std::string Write(const Outputs& outputs, std::stop_token stop = {}, const RenderProgress& progress = {});
    // Writes a picture of this job's samples developed elsewhere (in bands, by
    // several processes): the same files Write makes. A quantised picture
    // serves an 8-bit PNG only.
    std::string WritePicture(const studio::FloatImage& image, const Outputs& outputs, std::stop_token stop = {},
                             const RenderProgress& progress = {}) const;
    std::string WritePicture(const studio::Rgb8Image& image, const Outputs& outputs, std::stop_token stop = {},
                             const RenderProgress& progress = {}) const;
    std::string WritePng(const std::string& path, int period, std::stop_token stop = {},
                         const RenderProgress& progress = {});

private:
    void StartSampling();
    template <class Picture>
    std::string WriteFiles(const Picture& image, const Outputs& outputs, std::stop_token stop,
                           const RenderProgress& progress) const;

    std::shared_ptr<const QuiltSnapshot> quilt_;
    studio::RenderSettings renderSpec_;
    studio::Look look_;
    int threads_;
    int width_, height_;
    std::unique_ptr<studio::Accumulator> accumulator_;
};

// Sample counts of a progressive render: `first`, then doubling, ending at the budget.
std::vector<std::uint64_t> ProgressivePasses(std::uint64_t budget, std::uint64_t first);

}  // namespace tilvex

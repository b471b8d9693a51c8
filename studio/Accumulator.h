#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <stop_token>
#include <utility>
#include <vector>

#include "render/QuiltSnapshot.h"
#include "studio/ColourSums.h"
#include "studio/DensityBuffer.h"
#include "studio/LaneSteps.h"
#include "studio/RenderSettings.h"
#include "studio/SampleColour.h"

namespace tilvex::studio {

inline constexpr int kWarmUpSteps = 3000;

// Called now and then from a worker with the share (0..1) of the current call's work done.
using ShareDone = std::function<void(double done)>;

// The density of a quilt's samples, kept with the orbits that made them, so
// samples can be added pass after pass. Every sample belongs to one of the
// render settings' chunks: chunk c has taken its share of the total so far, and its
// orbits restart (should they escape) only at fixed sample counts. The buffer
// for a total is therefore the same whether it was reached in one pass or
// many, for any number of threads, and on every vector path (for a precision).
class Accumulator {
public:
    // With colouring, each sample's colour is summed too (ColourSums).
    Accumulator(std::shared_ptr<const QuiltSnapshot> quilt, int resolution, const RenderSettings& renderSpec,
                std::optional<SampleColouring> colouring = std::nullopt);
    ~Accumulator();
    Accumulator(const Accumulator&) = delete;
    Accumulator& operator=(const Accumulator&) = delete;

    // Adds `samples` samples on `threads` threads (0: every core). False when
    // stopped: the samples taken stay, and the next call goes on from there.
    bool Run(std::uint64_t samples, int threads, std::stop_token stop = {}, const ShareDone& progress = {});

    // One process's part of a render spread over several: from now on only
    // chunks [first, first + count) take samples. The shares' densities,
    // summed with MergeCells, are the whole render's.
    void TakeShare(int first, int count);
    int Chunks() const { return static_cast<int>(chunks_.size()); }
    void MergeCells(std::size_t first, std::span<const std::uint32_t> counts) { buffer_.MergeCells(first, counts); }
    void AssignCells(std::size_t first, std::span<const std::uint32_t> counts) { buffer_.AssignCells(first, counts); }
    void AssignColourSums(std::size_t first, std::span<const std::uint32_t> sums)
    {
        if (colours_) colours_->AssignSums(first, sums);
    }

    const DensityBuffer& Density() const { return buffer_; }
    // The density, handed over for a last develop: the accumulator keeps an
    // empty buffer of one cell and is not to sample again.
    DensityBuffer SpendDensity() { return std::exchange(buffer_, DensityBuffer(1)); }
    const ColourSums* Colours() const { return colours_ ? &*colours_ : nullptr; }
    std::uint64_t Samples() const;  // taken so far, here
    std::uint64_t Target() const { return target_; }  // asked of every chunk so far
    SimdPath Path() const { return path_; }  // resolved
    Precision PrecisionOf() const { return precision_; }
    const QuiltSnapshot& Quilt() const { return *quilt_; }

private:
    struct Chunk;
    std::uint64_t ShareOf(int chunk, std::uint64_t total) const;

    std::shared_ptr<const QuiltSnapshot> quilt_;
    SimdPath path_;
    Precision precision_;
    LaneParams params_;
    std::uint64_t seed_;
    std::uint64_t target_ = 0;
    std::vector<std::unique_ptr<Chunk>> chunks_;
    int shareFirst_ = 0, shareEnd_ = 0;
    DensityBuffer buffer_;
    std::optional<SampleColouring> colouring_;
    std::optional<ColourSums> colours_;
};

// Worker threads for a wish (0: every core), at most one per core.
int ThreadCount(int wanted);

}  // namespace tilvex::studio

#include "studio/Accumulator.h"

#include <tbb/enumerable_thread_specific.h>
#include <tbb/parallel_for.h>
#include <tbb/task_arena.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>

#include "studio/LaneOrbits.h"
#include "studio/Orbit.h"
#include "studio/VisitBins.h"

namespace tilvex::studio {

namespace {

// Orbits are checked for escape, and restarted, every kSlice samples of a chunk.
constexpr std::uint64_t kSlice = 1 << 16;

double UnitDraw(std::uint64_t bits) { return static_cast<double>(bits >> 11) * 0x1.0p-53; }

// The chunk's orbits start from points drawn from the seed, the quilt's own
// point and the chunk number, and are drawn again should they escape to infinity.
class ChunkDraws {
public:
    ChunkDraws(const QuiltSnapshot& quilt, std::uint64_t seed, int chunk)
    {
        std::uint64_t quiltBits = 0;
        std::memcpy(&quiltBits, &quilt.orbit.point.re, sizeof quiltBits);
        state_ = MixBits(seed ^ MixBits(quiltBits) ^ MixBits(0x5EED0000ull + static_cast<std::uint64_t>(chunk)));
    }
    Complex Draw()
    {
        double u = UnitDraw(state_ = MixBits(state_));
        double v = UnitDraw(state_ = MixBits(state_));
        return {u, v};
    }

private:
    std::uint64_t state_;
};

}  // namespace

// One chunk's lanes of orbits.
struct Accumulator::Chunk {
    Chunk(const QuiltSnapshot& quilt, std::uint64_t seed, int index) : draws(quilt, seed, index) {}

    ChunkDraws draws;
    std::unique_ptr<LaneOrbits> lanes;  // 8 kB of visits (and 24 kB of positions and colours): not on a worker's stack
    std::uint64_t done = 0;
};

int ThreadCount(int wanted)
{
    // More than the cores would not run: the threads in use are what a report names.
    int all = tbb::this_task_arena::max_concurrency();
    return wanted > 0 ? std::min(wanted, all) : all;
}

Accumulator::Accumulator(std::shared_ptr<const QuiltSnapshot> quilt, int resolution, const RenderSettings& renderSpec,
                         std::optional<SampleColouring> colouring)
    : quilt_(std::move(quilt)),
      path_(ResolveSimd(renderSpec.simd)),
      precision_(renderSpec.precision),
      params_(MakeLaneParams(quilt_->kind, quilt_->detail.hexKnot, quilt_->maps.square, quilt_->maps.hex,
                             quilt_->maps.fourSixTwelve, quilt_->maps.fourEightEight, quilt_->maps.threeTwelveTwelve,
                             quilt_->maps.wildCorner)),
      seed_(renderSpec.seed),
      buffer_(resolution),
      colouring_(std::move(colouring))
{
    if (colouring_) colours_.emplace(resolution);
    const int chunks = std::clamp(renderSpec.chunks, kMinChunks, kMaxChunks);
    for (int c = 0; c < chunks; ++c) chunks_.push_back(std::make_unique<Chunk>(*quilt_, seed_, c));
    shareEnd_ = chunks;
}

void Accumulator::TakeShare(int first, int count)
{
    shareFirst_ = std::clamp(first, 0, Chunks());
    shareEnd_ = std::clamp(first + count, shareFirst_, Chunks());
}

Accumulator::~Accumulator() = default;

std::uint64_t Accumulator::ShareOf(int chunk, std::uint64_t total) const
{
    const auto count = static_cast<std::uint64_t>(chunks_.size());
    return total / count + (static_cast<std::uint64_t>(chunk) < total % count ? 1 : 0);
}

std::uint64_t Accumulator::Samples() const
{
    std::uint64_t total = 0;
    for (const auto& chunk : chunks_) total += chunk->done;
    return total;
}

bool Accumulator::Run(std::uint64_t samples, int threads, std::stop_token stop, const ShareDone& progress)
{
    target_ += samples;
    std::uint64_t owed = 0;
    for (int c = shareFirst_; c < shareEnd_; ++c) owed += ShareOf(c, target_) - chunks_[c]->done;
    tbb::task_arena arena(ThreadCount(threads));
    const VisitBands bands(buffer_);
    tbb::enumerable_thread_specific<std::unique_ptr<VisitBins>> bins([&] {
        return colouring_ ? std::make_unique<VisitBins>(bands, &*colours_, &colouring_->colours)
                          : std::make_unique<VisitBins>(bands);
    });
    std::atomic<std::uint64_t> taken{0};
    std::mutex progressLock;

    arena.execute([&] {
        tbb::parallel_for(shareFirst_, shareEnd_, [&](int c) {
            Chunk& chunk = *chunks_[c];
            const std::uint64_t share = ShareOf(c, target_);
            if (chunk.done >= share || stop.stop_requested()) return;
            if (!chunk.lanes)
                chunk.lanes = std::make_unique<LaneOrbits>(params_, quilt_->maps.hex, path_, precision_,
                                                           buffer_.Resolution(), kWarmUpSteps,
                                                           [&chunk] { return chunk.draws.Draw(); },
                                                           colouring_ ? std::optional(colouring_->colorBy) : std::nullopt);
            VisitBins& local = *bins.local();
            while (chunk.done < share && !stop.stop_requested()) {
                const std::uint64_t end = std::min(share, (chunk.done / kSlice + 1) * kSlice);
                chunk.lanes->Run(end - chunk.done, [&local](std::uint64_t visit) { local.Add(visit); });
                const std::uint64_t slice = end - chunk.done;
                chunk.done = end;
                if (end % kSlice == 0) chunk.lanes->RestartEscaped();
                const std::uint64_t total = taken += slice;
                if (progress) {
                    std::lock_guard lock(progressLock);
                    progress(owed ? static_cast<double>(total) / static_cast<double>(owed) : 1.0);
                }
            }
        });
    });
    bins.clear();  // their last visits (and colours) go in
    if (!stop.stop_requested()) return true;
    for (int c = shareFirst_; c < shareEnd_; ++c)
        if (chunks_[c]->done < ShareOf(c, target_)) return false;
    return true;
}

}  // namespace tilvex::studio

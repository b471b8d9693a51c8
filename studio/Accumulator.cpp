#include "studio/Accumulator.h"

#include <tbb/enumerable_thread_specific.h>
#include <tbb/parallel_for.h>
#include <tbb/task_arena.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <mutex>
#include <optional>

#include "studio/LaneOrbits.h"
#include "studio/Orbit.h"

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
    Orbit Start(const QuiltSnapshot& quilt)
    {
        const Complex start = Draw();
        Orbit orbit(quilt, start.re, start.im);
        for (int i = 0; i < kWarmUpSteps; ++i) orbit.Step();
        return orbit;
    }

private:
    std::uint64_t state_;
};

// Adds each visit kLag visits after its cells were prefetched: a large buffer
// misses the cache on nearly every visit, and the orbits' next steps hide the wait.
class LaggedSplats {
public:
    explicit LaggedSplats(DensityBuffer& buffer) : buffer_(buffer) {}
    ~LaggedSplats()
    {
        for (std::uint64_t i = count_ > kLag ? count_ - kLag : 0; i < count_; ++i) buffer_.Add(pending_[i % kLag]);
    }
    void Visit(double u, double v)
    {
        DensityBuffer::Footprint& slot = pending_[count_ % kLag];
        if (count_ >= kLag) buffer_.Add(slot);
        slot = buffer_.Locate(u, v);
        buffer_.Prefetch(slot);
        ++count_;
    }

private:
    static constexpr std::uint64_t kLag = 8;
    DensityBuffer& buffer_;
    DensityBuffer::Footprint pending_[kLag];
    std::uint64_t count_ = 0;
};

}  // namespace

// One chunk's orbits: one orbit on the scalar path, a batch of lanes on a vector path.
struct Accumulator::Chunk {
    Chunk(const QuiltSnapshot& quilt, std::uint64_t seed, int index) : draws(quilt, seed, index) {}

    void Start(const QuiltSnapshot& quilt, const LaneParams& params, SimdPath path)
    {
        if (path == SimdPath::Scalar)
            orbit.emplace(draws.Start(quilt));
        else
            lanes = std::make_unique<LaneOrbits>(params, quilt.maps.hex, path, kWarmUpSteps, [this] { return draws.Draw(); });
    }

    void Run(std::uint64_t samples, LaggedSplats& splats)
    {
        if (lanes) return lanes->Run(samples, [&splats](double u, double v) { splats.Visit(u, v); });
        for (std::uint64_t i = 0; i < samples; ++i) {
            orbit->Step();
            splats.Visit(orbit->plotX, orbit->plotY);
        }
    }

    void RestartEscaped(const QuiltSnapshot& quilt)
    {
        if (lanes) return lanes->RestartEscaped();
        if (!std::isfinite(orbit->plotX) || !std::isfinite(orbit->plotY)) orbit = draws.Start(quilt);
    }

    ChunkDraws draws;
    std::optional<Orbit> orbit;
    std::unique_ptr<LaneOrbits> lanes;  // 16 kB of positions: not on a worker's stack
    std::uint64_t done = 0;
};

int ThreadCount(int wanted)
{
    // More than the cores would not run: the threads in use are what a report names.
    int all = tbb::this_task_arena::max_concurrency();
    return wanted > 0 ? std::min(wanted, all) : all;
}

Accumulator::Accumulator(std::shared_ptr<const QuiltSnapshot> quilt, int resolution, const RenderSpec& renderSpec)
    : quilt_(std::move(quilt)),
      path_(ResolveSimd(renderSpec.simd)),
      params_(MakeLaneParams(quilt_->kind, quilt_->detail.hexKnot, quilt_->maps.square, quilt_->maps.hex,
                             quilt_->maps.fourSixTwelve, quilt_->maps.fourEightEight, quilt_->maps.threeTwelveTwelve,
                             quilt_->maps.wildCorner)),
      seed_(renderSpec.seed),
      buffer_(resolution)
{
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
    const int resolution = buffer_.Resolution();
    tbb::task_arena arena(ThreadCount(threads));
    tbb::enumerable_thread_specific<DensityBuffer> buffers([resolution] { return DensityBuffer(resolution); });
    std::atomic<std::uint64_t> taken{0};
    std::mutex progressLock;

    arena.execute([&] {
        tbb::parallel_for(shareFirst_, shareEnd_, [&](int c) {
            Chunk& chunk = *chunks_[c];
            const std::uint64_t share = ShareOf(c, target_);
            if (chunk.done >= share || stop.stop_requested()) return;
            if (chunk.done == 0 && !chunk.orbit && !chunk.lanes) chunk.Start(*quilt_, params_, path_);
            LaggedSplats splats(buffers.local());
            while (chunk.done < share && !stop.stop_requested()) {
                const std::uint64_t end = std::min(share, (chunk.done / kSlice + 1) * kSlice);
                chunk.Run(end - chunk.done, splats);
                const std::uint64_t slice = end - chunk.done;
                chunk.done = end;
                if (end % kSlice == 0) chunk.RestartEscaped(*quilt_);
                const std::uint64_t total = taken += slice;
                if (progress) {
                    std::lock_guard lock(progressLock);
                    progress(owed ? static_cast<double>(total) / static_cast<double>(owed) : 1.0);
                }
            }
        });
    });
    buffers.combine_each([this](const DensityBuffer& b) { buffer_.Merge(b); });
    if (!stop.stop_requested()) return true;
    for (int c = shareFirst_; c < shareEnd_; ++c)
        if (chunks_[c]->done < ShareOf(c, target_)) return false;
    return true;
}

}  // namespace tilvex::studio

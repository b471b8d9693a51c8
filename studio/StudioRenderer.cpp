#include "studio/StudioRenderer.h"

#include <tbb/blocked_range.h>
#include <tbb/enumerable_thread_specific.h>
#include <tbb/parallel_for.h>
#include <tbb/task_arena.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <memory>
#include <mutex>

#include "studio/LaneOrbits.h"
#include "studio/Orbit.h"
#include "studio/TileFolder.h"

namespace tilvex::studio {

namespace {

double UnitDraw(std::uint64_t bits) { return static_cast<double>(bits >> 11) * 0x1.0p-53; }

// The chunk's orbits start from points drawn from the seed, the quilt's own
// point and the chunk number, and are drawn again should they escape to infinity.
class ChunkRun {
public:
    ChunkRun(const QuiltSnapshot& quilt, std::uint64_t seed, int chunk)
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
    void Visit(double u, double v)
    {
        DensityBuffer::Footprint& slot = pending_[count_ % kLag];
        if (count_ >= kLag) buffer_.Add(slot);
        slot = buffer_.Locate(u, v);
        buffer_.Prefetch(slot);
        ++count_;
    }
    void Flush()
    {
        for (std::uint64_t i = count_ > kLag ? count_ - kLag : 0; i < count_; ++i) buffer_.Add(pending_[i % kLag]);
        count_ = 0;
    }

private:
    static constexpr std::uint64_t kLag = 8;
    DensityBuffer& buffer_;
    DensityBuffer::Footprint pending_[kLag];
    std::uint64_t count_ = 0;
};

// One chunk's samples: one orbit on the scalar path, a batch of lanes on a vector path.
class ChunkOrbits {
public:
    ChunkOrbits(const QuiltSnapshot& quilt, const LaneParams& params, SimdPath path, ChunkRun& run) : quilt_(quilt), run_(run)
    {
        if (path == SimdPath::Scalar)
            orbit_.emplace(run.Start(quilt));
        else
            lanes_ = std::make_unique<LaneOrbits>(params, quilt.maps.hex, path, kWarmUpSteps, [&run] { return run.Draw(); });
    }
    void Run(std::uint64_t samples, LaggedSplats& splats)
    {
        if (lanes_) return lanes_->Run(samples, [&splats](double u, double v) { splats.Visit(u, v); });
        for (std::uint64_t i = 0; i < samples; ++i) {
            orbit_->Step();
            splats.Visit(orbit_->plotX, orbit_->plotY);
        }
        if (!std::isfinite(orbit_->plotX) || !std::isfinite(orbit_->plotY)) orbit_ = run_.Start(quilt_);
    }

private:
    const QuiltSnapshot& quilt_;
    ChunkRun& run_;
    std::optional<Orbit> orbit_;
    std::unique_ptr<LaneOrbits> lanes_;  // 16 kB of positions: not on a worker's stack
};

int ThreadCount(int wanted)
{
    int all = tbb::this_task_arena::max_concurrency();
    return wanted > 0 ? std::min(wanted, std::max(all, wanted)) : all;
}

}  // namespace

int StudioTileHeight(const QuiltSnapshot& quilt, int width)
{
    if (quilt.tile.width <= 0) return width;
    return std::max(1, static_cast<int>(std::lround(static_cast<double>(width) * quilt.tile.height / quilt.tile.width)));
}

int StudioResolution(const QuiltSnapshot& quilt, int width)
{
    double perPixel = quilt.tile.width > 0 ? static_cast<double>(width) / quilt.tile.width : 1.0;
    return std::max(8, static_cast<int>(std::lround(quilt.geometry.gridScale * perPixel)));
}

std::optional<DensityBuffer> Accumulate(const QuiltSnapshot& quilt, int resolution, std::uint64_t samples,
                                        std::uint64_t seed, int threads, const StudioProgress& progress, SimdPath simd)
{
    const SimdPath path = ResolveSimd(simd);
    const LaneParams params =
        MakeLaneParams(quilt.kind, quilt.detail.hexKnot, quilt.maps.square, quilt.maps.hex, quilt.maps.fourSixTwelve,
                       quilt.maps.fourEightEight, quilt.maps.threeTwelveTwelve, quilt.maps.wildCorner);
    tbb::task_arena arena(ThreadCount(threads));
    tbb::enumerable_thread_specific<DensityBuffer> buffers([resolution] { return DensityBuffer(resolution); });
    std::atomic<bool> cancelled{false};
    std::atomic<std::uint64_t> done{0};
    std::mutex progressLock;
    constexpr std::uint64_t kSlice = 1 << 16;

    arena.execute([&] {
        tbb::parallel_for(0, kChunks, [&](int chunk) {
            if (cancelled) return;
            std::uint64_t steps = samples / kChunks + (static_cast<std::uint64_t>(chunk) < samples % kChunks ? 1 : 0);
            LaggedSplats splats(buffers.local());
            ChunkRun run(quilt, seed, chunk);
            ChunkOrbits orbits(quilt, params, path, run);
            while (steps > 0 && !cancelled) {
                std::uint64_t slice = std::min(steps, kSlice);
                orbits.Run(slice, splats);
                splats.Flush();
                steps -= slice;
                std::uint64_t total = done += slice;
                if (progress) {
                    std::lock_guard lock(progressLock);
                    if (!progress(static_cast<double>(total) / static_cast<double>(samples))) cancelled = true;
                }
            }
        });
    });
    if (cancelled) return std::nullopt;
    DensityBuffer sum(resolution);
    buffers.combine_each([&sum](const DensityBuffer& b) { sum.Merge(b); });
    return sum;
}

std::vector<float> TileDensities(const QuiltSnapshot& quilt, const DensityBuffer& buffer, int width, int height,
                                 int threads)
{
    std::vector<float> densities(static_cast<std::size_t>(width) * height);
    const double sx = static_cast<double>(quilt.tile.width) / width;
    const double sy = static_cast<double>(quilt.tile.height) / height;
    tbb::task_arena arena(ThreadCount(threads));
    tbb::enumerable_thread_specific<TileFolder> folders([&quilt] { return TileFolder(quilt); });
    arena.execute([&] {
        tbb::parallel_for(tbb::blocked_range<int>(0, height), [&](const tbb::blocked_range<int>& rows) {
            TileFolder& folder = folders.local();
            for (int row = rows.begin(); row < rows.end(); ++row) {
                // Row 0 of the picture is the top; the tile's y counts up from its bottom.
                const double y = quilt.tile.height - (row + 0.5) * sy;
                float* out = densities.data() + static_cast<std::size_t>(row) * width;
                for (int col = 0; col < width; ++col) {
                    Complex u = folder.UnitPosition((col + 0.5) * sx, y);
                    out[col] = static_cast<float>(buffer.Sample(u.re, u.im));
                }
            }
        });
    });
    return densities;
}

std::optional<StudioImage> RenderStudioTile(const QuiltSnapshot& quilt, const StudioSettings& settings,
                                            const ColorMap& colours, const StudioProgress& progress)
{
    StudioImage image;
    image.width = std::max(settings.width, 1);
    image.height = StudioTileHeight(quilt, image.width);
    image.threads = ThreadCount(settings.threads);
    const double pixels = static_cast<double>(image.width) * image.height;
    image.samples = static_cast<std::uint64_t>(std::max(1.0, std::llround(settings.samplesPerPixel * pixels) * 1.0));

    image.simd = ResolveSimd(settings.simd);
    std::optional<DensityBuffer> buffer = Accumulate(quilt, StudioResolution(quilt, image.width), image.samples,
                                                     settings.seed, settings.threads, progress, image.simd);
    if (!buffer) return std::nullopt;
    std::vector<float> densities = TileDensities(quilt, *buffer, image.width, image.height, settings.threads);
    buffer.reset();

    image.pixels = Colourise(densities, settings.tone, colours, settings.background);
    return image;
}

std::vector<Rgb8> Colourise(const std::vector<float>& densities, const ToneSettings& toneSettings,
                            const ColorMap& colours, const std::optional<Rgb8>& background)
{
    const ToneMap tone(densities, toneSettings);
    const Rgb8 empty = background.value_or(colours.At(0.0));
    std::vector<Rgb8> pixels(densities.size());
    for (std::size_t i = 0; i < densities.size(); ++i)
        pixels[i] = densities[i] > 0.0f ? colours.At(tone(densities[i])) : empty;
    return pixels;
}

StudioImage PreviewTile(const QuiltSnapshot& quilt, int width, const StudioSettings& settings, const ColorMap& colours)
{
    StudioImage image;
    image.width = std::max(width, 1);
    image.height = StudioTileHeight(quilt, image.width);
    image.threads = ThreadCount(settings.threads);
    if (quilt.grid.width == 0 || !quilt.grid.HasStorage()) {
        image.pixels.assign(static_cast<std::size_t>(image.width) * image.height,
                            settings.background.value_or(colours.At(0.0)));
        return image;
    }
    // Grid cells per unit is the grid scale, so the grid stands in for a buffer at that resolution.
    const DensityBuffer grid = DensityBuffer::FromGrid(quilt.grid);
    image.pixels = Colourise(TileDensities(quilt, grid, image.width, image.height, settings.threads), settings.tone,
                             colours, settings.background);
    return image;
}

}  // namespace tilvex::studio

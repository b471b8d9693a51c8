#include "motion/FrameRenderer.h"

#include <tbb/blocked_range.h>
#include <tbb/parallel_for.h>
#include <tbb/task_arena.h>

#include <algorithm>

#include "studio/Develop.h"

namespace tilvex::motion {

namespace {

constexpr std::size_t kMaxPilots = 9;

// Each key's instant and the instants halfway to the next (round the loop, for a loop).
std::vector<double> PilotInstants(const Clip& clip)
{
    const std::vector<double>& keys = clip.KeyTimes();
    std::vector<double> all;
    for (std::size_t k = 0; k < keys.size(); ++k) {
        all.push_back(keys[k]);
        if (clip.Settings().grow) break;
        if (k + 1 < keys.size())
            all.push_back(0.5 * (keys[k] + keys[k + 1]));
        else if (clip.Settings().loop && keys.size() > 1)
            all.push_back(0.5 * (keys[k] + keys.front() + clip.Settings().seconds));
    }
    if (all.size() <= kMaxPilots) return all;
    std::vector<double> some;
    for (std::size_t i = 0; i < kMaxPilots; ++i) some.push_back(all[i * (all.size() - 1) / (kMaxPilots - 1)]);
    return some;
}

std::optional<std::vector<float>> Fold(const RenderJob& job, int threads, std::stop_token stop)
{
    return studio::FoldTile(job.Quilt(), job.Density(), job.Width(), job.Height(), threads, stop);
}

}  // namespace

std::optional<studio::ToneScale> ClipExposure(const Clip& clip, int threads, std::stop_token stop,
                                              const studio::ShareDone& progress)
{
    studio::RenderSettings pilot = clip.Settings().renderSpec;
    pilot.width = std::max(studio::kMinWidth, pilot.width / 2);
    const std::vector<double> instants = PilotInstants(clip);
    std::optional<studio::ToneScale> scale;
    for (std::size_t i = 0; i < instants.size(); ++i) {
        RenderJob job(clip.QuiltAt(instants[i]), pilot, studio::Look{}, threads);
        if (!job.SampleTo(job.Budget(), stop, [&](RenderStage, double done) {
                if (progress) progress((static_cast<double>(i) + done) / static_cast<double>(instants.size()));
            }))
            return std::nullopt;
        std::optional<std::vector<float>> densities = Fold(job, threads, stop);
        if (!densities) return std::nullopt;
        const studio::ToneScale s = studio::MeasureToneScale(*densities);
        if (s.logWhite <= 0.0) continue;  // nothing landed
        if (!scale) scale = s;
        scale->logBlack = std::min(scale->logBlack, s.logBlack);
        scale->logWhite = std::max(scale->logWhite, s.logWhite);
    }
    // A growth film shows its first visits: the black point is no density at all.
    if (scale && clip.Settings().grow) scale->logBlack = 0.0;
    return scale.value_or(studio::ToneScale{});
}

FrameRenderer::FrameRenderer(const Clip& clip, const studio::ToneScale& exposure, int threads)
    : clip_(clip), exposure_(exposure), threads_(threads)
{
}

FrameRenderer::~FrameRenderer() = default;

std::vector<float> FrameRenderer::Sample(const Clip& clip, double t, std::uint64_t samples, std::uint64_t seed,
                                         std::stop_token stop, const studio::ShareDone& progress)
{
    studio::RenderSettings renderSpec = clip.Settings().renderSpec;
    renderSpec.seed = seed;
    std::unique_ptr<RenderJob> own;
    RenderJob* job;
    if (clip.Settings().grow) {
        // Samples only add up: a frame before the last one asked for starts over.
        if (!growth_ || growth_->Samples() > samples)
            growth_ = std::make_unique<RenderJob>(clip.QuiltAt(t), renderSpec, studio::Look{}, threads_);
        job = growth_.get();
    } else {
        own = std::make_unique<RenderJob>(clip.QuiltAt(t), renderSpec, studio::Look{}, threads_);
        job = own.get();
    }
    if (!job->SampleTo(samples, stop, [&](RenderStage, double done) {
            if (progress) progress(done);
        }))
        return {};
    return Fold(*job, threads_, stop).value_or(std::vector<float>{});
}

std::optional<studio::FloatImage> FrameRenderer::Render(int frame, std::stop_token stop,
                                                        const studio::ShareDone& progress)
{
    const std::vector<double> instants = clip_.Instants(frame);
    const std::uint64_t samples = clip_.SamplesOf(frame);
    const auto m = static_cast<std::uint64_t>(instants.size());
    std::vector<float> densities;
    for (std::uint64_t j = 0; j < m; ++j) {
        // The budget shared out among the instants; their densities add up to one frame's.
        const std::uint64_t share = samples / m + (j < samples % m ? 1 : 0);
        std::vector<float> d = Sample(clip_, instants[j], share, clip_.Settings().renderSpec.seed + j, stop,
                                      [&](double done) {
                                          if (progress) progress((static_cast<double>(j) + done) / static_cast<double>(m));
                                      });
        if (stop.stop_requested() || d.empty()) return std::nullopt;
        if (densities.empty())
            densities = std::move(d);
        else
            for (std::size_t i = 0; i < densities.size(); ++i) densities[i] += d[i];
    }
    const studio::Look look = clip_.LookAt(clip_.FrameTime(frame));
    return studio::FloatImage(clip_.TileWidth(), clip_.TileHeight(), std::move(densities), look,
                              studio::Colours(look, clip_.Keys().front().quilt->paletteEntries), exposure_);
}

std::optional<studio::Rgb8Image> FrameRenderer::Picture(const studio::FloatImage& tile, std::stop_token stop) const
{
    studio::Rgb8Image picture;
    picture.width = clip_.FrameWidth();
    picture.height = clip_.FrameHeight();
    picture.pixels.resize(static_cast<std::size_t>(picture.width) * picture.height);
    tbb::task_arena arena(studio::ThreadCount(threads_));
    arena.execute([&] {
        tbb::parallel_for(tbb::blocked_range<int>(0, picture.height, 16), [&](const tbb::blocked_range<int>& rows) {
            if (stop.stop_requested()) return;
            std::vector<studio::RgbF> row(static_cast<std::size_t>(tile.Width()));
            for (int y = rows.begin(); y < rows.end(); ++y) {
                tile.Row(y % tile.Height(), row.data());
                studio::Rgb8* out = picture.pixels.data() + static_cast<std::size_t>(y) * picture.width;
                for (int x = 0; x < picture.width; ++x) out[x] = studio::Quantise8(row[x % tile.Width()]);
            }
        });
    });
    if (stop.stop_requested()) return std::nullopt;
    return picture;
}

}  // namespace tilvex::motion

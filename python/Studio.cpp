#include "python/Studio.h"

#include <cstring>

#include "engine/RenderJob.h"
#include "studio/TileGeometry.h"

namespace tilvex::python {

std::string StudioRequest::Validate(const QuiltSnapshot& quilt) const
{
    for (const std::string& problem : {sampling.Validate(), look.Validate(), cli::ValidatePeriod(period), run.Validate()})
        if (!problem.empty()) return problem;
    if (bitDepth != 8 && bitDepth != 16) return "bit_depth must be 8 or 16";
    return studio::CheckPictureSize(quilt, sampling.size, period);
}

std::optional<studio::FloatImage> DevelopStudio(std::shared_ptr<const QuiltSnapshot> quilt,
                                                const StudioRequest& request, std::stop_token stop)
{
    RenderJob job(std::move(quilt), request.sampling.ToRenderSettings(), request.look.Look(), request.run.threads);
    if (!job.SampleTo(job.Budget(), stop)) return std::nullopt;
    return job.Develop(stop);
}

namespace {

template <class Channel, class Quantise>
std::vector<Channel> Tiled(const studio::FloatImage& tile, int period, Quantise quantise)
{
    const std::size_t tileRow = 3 * static_cast<std::size_t>(tile.Width());
    const std::size_t row = tileRow * period;
    std::vector<Channel> pixels(row * tile.Height() * period);
    std::vector<studio::RgbF> colours(static_cast<std::size_t>(tile.Width()));
    for (int y = 0; y < tile.Height(); ++y) {
        tile.Row(y, colours.data());
        Channel* first = pixels.data() + row * y;
        Channel* out = first;
        for (const studio::RgbF& c : colours) {
            *out++ = quantise(c.r);
            *out++ = quantise(c.g);
            *out++ = quantise(c.b);
        }
        for (int k = 1; k < period; ++k) std::memcpy(first + tileRow * k, first, tileRow * sizeof(Channel));
    }
    const std::size_t tileRows = row * tile.Height();
    for (int k = 1; k < period; ++k)
        std::memcpy(pixels.data() + tileRows * k, pixels.data(), tileRows * sizeof(Channel));
    return pixels;
}

}  // namespace

std::vector<std::uint8_t> TiledRgb8(const studio::FloatImage& tile, int period)
{
    return Tiled<std::uint8_t>(tile, period, [](double c) { return studio::Quantise8(c); });
}

std::vector<std::uint16_t> TiledRgb16(const studio::FloatImage& tile, int period)
{
    return Tiled<std::uint16_t>(tile, period, [](double c) { return studio::Quantise16(c); });
}

}  // namespace tilvex::python

#include "studio/FloatImage.h"

#include <tbb/blocked_range.h>
#include <tbb/enumerable_thread_specific.h>
#include <tbb/parallel_for.h>

#include <algorithm>

namespace tilvex::studio {

namespace {
RgbF Unquantised(Rgb8 c) { return {c.r / 255.0, c.g / 255.0, c.b / 255.0}; }
}  // namespace

FloatImage::FloatImage(int width, int height, std::vector<float> densities, const Look& look, const ColorMap& colours,
                       std::vector<std::uint32_t> sampleColours, const DensityHistogram* exposure,
                       const std::optional<ToneScale>& fixedScale)
    : width_(width),
      height_(height),
      densities_(std::move(densities)),
      sampleColours_(std::move(sampleColours)),
      tone_(exposure ? ToneMap(*exposure, look.tone, fixedScale) : ToneMap(densities_, look.tone, fixedScale)),
      colours_(colours),
      empty_(look.background ? Unquantised(*look.background) : colours.Sample(0.0)),
      vibrancy_(look.tone.vibrancy),
      highlight_(look.tone.highlight)
{
}

// As flame renderers do: with full vibrancy the gamma shapes the brightness
// and the colour keeps its hue; with none it applies to each channel, which
// lifts the dim colours towards white.
RgbF FloatImage::Pixel(float density, const std::uint32_t* sampleColour) const
{
    if (!(density > 0.0f)) return empty_;
    const double unkeyed = tone_.Unkeyed(density), g = tone_.InvGamma();
    const double bright = std::pow(unkeyed, tone_.Key() * g);
    // The level before the gamma only for what vibrancy below 1 mixes in.
    const double level = vibrancy_ < 1.0 && tone_.Key() != 1.0 ? std::pow(unkeyed, tone_.Key()) : unkeyed;
    RgbF c;
    if (!sampleColour) {
        c = colours_.Sample(bright);
        if (vibrancy_ < 1.0) {
            const RgbF flat = colours_.Sample(level);
            c.r = vibrancy_ * c.r + (1 - vibrancy_) * std::pow(flat.r, g);
            c.g = vibrancy_ * c.g + (1 - vibrancy_) * std::pow(flat.g, g);
            c.b = vibrancy_ * c.b + (1 - vibrancy_) * std::pow(flat.b, g);
        }
    } else {
        // The mean sample colour at the density's brightness, over the background.
        const RgbF mean = UnpackColour(*sampleColour);
        auto channel = [&](double m, double back) {
            double v = vibrancy_ * m * bright;
            if (vibrancy_ < 1.0) v += (1 - vibrancy_) * std::pow(m * level, g);
            return v + back * (1 - bright);
        };
        c = {channel(mean.r, empty_.r), channel(mean.g, empty_.g), channel(mean.b, empty_.b)};
    }
    if (highlight_ > 0.0 && bright > 0.5) {
        const double w = highlight_ * (2 * bright - 1) * (2 * bright - 1);
        c = {c.r + (1 - c.r) * w, c.g + (1 - c.g) * w, c.b + (1 - c.b) * w};
    }
    return c;
}

void FloatImage::Row(int y, RgbF* out) const
{
    const std::size_t first = static_cast<std::size_t>(y) * width_;
    const float* d = densities_.data() + first;
    const std::uint32_t* s = sampleColours_.empty() ? nullptr : sampleColours_.data() + first;
    for (int x = 0; x < width_; ++x) out[x] = Pixel(d[x], s ? s + x : nullptr);
}

std::uint32_t PackColour(const RgbF& c)
{
    auto ten = [](double v) { return static_cast<std::uint32_t>(std::lround(std::clamp(v, 0.0, 1.0) * 1023.0)); };
    return ten(c.r) << 20 | ten(c.g) << 10 | ten(c.b);
}

RgbF UnpackColour(std::uint32_t p)
{
    return {(p >> 20 & 1023) / 1023.0, (p >> 10 & 1023) / 1023.0, (p & 1023) / 1023.0};
}

std::optional<Rgb8Image> Quantise8(const FloatImage& image, std::stop_token stop)
{
    Rgb8Image out;
    out.width = image.Width();
    out.height = image.Height();
    out.pixels.resize(static_cast<std::size_t>(out.width) * out.height);
    // Every pixel is coloured on its own: rows go to every core (a preview pass waits for this).
    tbb::enumerable_thread_specific<std::vector<RgbF>> rows(static_cast<std::size_t>(out.width));
    tbb::parallel_for(tbb::blocked_range<int>(0, out.height, 16), [&](const tbb::blocked_range<int>& some) {
        if (stop.stop_requested()) return;
        std::vector<RgbF>& row = rows.local();
        for (int y = some.begin(); y < some.end(); ++y) {
            image.Row(y, row.data());
            Rgb8* target = out.pixels.data() + static_cast<std::size_t>(y) * out.width;
            for (int x = 0; x < out.width; ++x) target[x] = Quantise8(row[static_cast<std::size_t>(x)]);
        }
    });
    if (stop.stop_requested()) return std::nullopt;
    return out;
}

}  // namespace tilvex::studio

#include "studio/FloatImage.h"

namespace tilvex::studio {

namespace {
RgbF Unquantised(Rgb8 c) { return {c.r / 255.0, c.g / 255.0, c.b / 255.0}; }
}  // namespace

FloatImage::FloatImage(int width, int height, std::vector<float> densities, const Look& look, const ColorMap& colours,
                       const std::optional<ToneScale>& fixedScale)
    : width_(width),
      height_(height),
      densities_(std::move(densities)),
      tone_(densities_, look.tone, fixedScale),
      colours_(colours),
      empty_(look.background ? Unquantised(*look.background) : colours.Sample(0.0))
{
}

void FloatImage::Row(int y, RgbF* out) const
{
    const float* d = densities_.data() + static_cast<std::size_t>(y) * width_;
    for (int x = 0; x < width_; ++x) out[x] = d[x] > 0.0f ? colours_.Sample(tone_(d[x])) : empty_;
}

std::optional<Rgb8Image> Quantise8(const FloatImage& image, std::stop_token stop)
{
    Rgb8Image out;
    out.width = image.Width();
    out.height = image.Height();
    out.pixels.resize(static_cast<std::size_t>(out.width) * out.height);
    std::vector<RgbF> row(static_cast<std::size_t>(out.width));
    for (int y = 0; y < out.height; ++y) {
        if (stop.stop_requested()) return std::nullopt;
        image.Row(y, row.data());
        Rgb8* target = out.pixels.data() + static_cast<std::size_t>(y) * out.width;
        for (int x = 0; x < out.width; ++x) target[x] = Quantise8(row[x]);
    }
    return out;
}

}  // namespace tilvex::studio

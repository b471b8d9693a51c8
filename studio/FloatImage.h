#pragma once

#include <cmath>
#include <cstdint>
#include <optional>
#include <stop_token>
#include <vector>

#include "studio/ColorMap.h"
#include "studio/Look.h"
#include "studio/Rgb8Image.h"
#include "studio/ToneMap.h"

namespace tilvex::studio {

// A developed tile: every pixel's colour before quantisation. Pixels are
// coloured row by row as a writer asks for them, from the tile's densities
// (and, coloured by structure, each pixel's mean sample colour) and the look's
// tone and colour maps, so a picture of any size is held at four bytes a pixel
// (eight by structure) until it is written, and an 8-bit, a 16-bit and a
// high-dynamic-range writer all quantise the very same values.
class FloatImage {
public:
    // sampleColours: empty, or one PackColour a pixel.
    // exposure: the histogram the tone map's points come from; none: the densities'.
    // fixedScale: the tone scale to use instead of the tile's own.
    FloatImage(int width, int height, std::vector<float> densities, const Look& look, const ColorMap& colours,
               std::vector<std::uint32_t> sampleColours = {}, const DensityHistogram* exposure = nullptr,
               const std::optional<ToneScale>& fixedScale = std::nullopt);
    FloatImage(int width, int height, std::vector<float> densities, const Look& look, const ColorMap& colours,
               const std::optional<ToneScale>& fixedScale)
        : FloatImage(width, height, std::move(densities), look, colours, {}, nullptr, fixedScale)
    {
    }

    int Width() const { return width_; }
    int Height() const { return height_; }
    // Row y, top first: Width() colours.
    void Row(int y, RgbF* out) const;
    // The tile's density per pixel, in visits, top row first.
    const std::vector<float>& Densities() const { return densities_; }

private:
    RgbF Pixel(float density, const std::uint32_t* sampleColour) const;

    int width_, height_;
    std::vector<float> densities_;
    std::vector<std::uint32_t> sampleColours_;
    ToneMap tone_;
    ColorMap colours_;
    RgbF empty_;
    double vibrancy_, highlight_;
};

// A mean colour in 10 bits a channel, and back.
std::uint32_t PackColour(const RgbF& c);
RgbF UnpackColour(std::uint32_t packed);

inline std::uint8_t Quantise8(double channel)
{
    if (!(channel > 0.0)) return 0;
    if (channel >= 1.0) return 255;
    return static_cast<std::uint8_t>(std::lround(channel * 255.0));
}

inline Rgb8 Quantise8(const RgbF& c) { return {Quantise8(c.r), Quantise8(c.g), Quantise8(c.b)}; }

inline std::uint16_t Quantise16(double channel)
{
    if (!(channel > 0.0)) return 0;
    if (channel >= 1.0) return 65535;
    return static_cast<std::uint16_t>(std::lround(channel * 65535.0));
}

// The whole image at 8 bits a channel; empty when stopped.
std::optional<Rgb8Image> Quantise8(const FloatImage& image, std::stop_token stop = {});

}  // namespace tilvex::studio

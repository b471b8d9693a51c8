#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/PaletteEntry.h"

namespace tilvex::studio {

struct Rgb8 {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(Rgb8, Rgb8) = default;
};

// A colour before quantisation: 0..1 a channel, in the colour map's own
// encoding (8-bit entries read as sRGB values over 255).
struct RgbF {
    double r = 0.0, g = 0.0, b = 0.0;
};

// Brightness 0..1 to colour through 256 entries, read with linear interpolation.
class ColorMap {
public:
    // The names --colormap accepts, in the order help texts list them.
    static std::vector<std::string> Names();
    // A built-in map, "gray", or "quilt" (the quilt's own palette as a gradient).
    static std::optional<ColorMap> Named(std::string_view name, const Palette& quiltPalette);
    // Evenly spaced stops, at least two.
    static ColorMap Gradient(const std::vector<Rgb8>& stops);

    // The colour at t (0..1) between the two nearest entries; At rounds it to 8 bits.
    RgbF Sample(double t) const;
    Rgb8 At(double t) const;
    // One of the 256 entries (the nearest to t is entry round(255 t)): for
    // colouring each of many samples.
    Rgb8 Entry(std::uint8_t i) const { return entries_[i]; }

private:
    std::array<Rgb8, 256> entries_{};
};

// "#RRGGBB" (the # is optional).
std::optional<Rgb8> ParseHexColour(std::string_view text);

}  // namespace tilvex::studio

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

// Brightness 0..1 to colour through 256 entries, read with linear interpolation.
class ColorMap {
public:
    // The names --colormap accepts, in the order help texts list them.
    static std::vector<std::string> Names();
    // A built-in map, "gray", or "quilt" (the quilt's own palette as a gradient).
    static std::optional<ColorMap> Named(std::string_view name, const Palette& quiltPalette);
    // "#RRGGBB,#RRGGBB,..." (at least two stops, evenly spaced). Sets error on failure.
    static std::optional<ColorMap> Gradient(std::string_view stops, std::string& error);

    Rgb8 At(double t) const;

private:
    std::array<Rgb8, 256> entries_{};
};

// "#RRGGBB" (the # is optional).
std::optional<Rgb8> ParseHexColour(std::string_view text);

}  // namespace tilvex::studio

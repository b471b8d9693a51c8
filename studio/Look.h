#pragma once

#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "core/PaletteEntry.h"
#include "studio/ColorBy.h"
#include "studio/ColorMap.h"
#include "studio/DensityEstimate.h"
#include "studio/ToneMap.h"

namespace tilvex::studio {

// How accumulated samples become a picture. Only oversample and colorBy
// change what is sampled; the rest develops the same samples again.
struct Look {
    std::string colormap = "viridis";  // one of ColorMap::Names(), unless gradient is given
    std::vector<Rgb8> gradient;        // evenly spaced stops of a colour map of one's own
    std::optional<Rgb8> background;    // empty cells; none: the colour map's dark end
    ToneSettings tone;
    DenoiseSettings denoise;
    ColorBy colorBy = ColorBy::Density;
    int oversample = 1;  // the buffer's resolution over the picture's, filtered down
    int bitDepth = 8;    // of a PNG's channels

    friend bool operator==(const Look&, const Look&) = default;
};

inline constexpr double kMinGamma = 0.1, kMaxGamma = 10.0;
inline constexpr double kMaxExposure = 20.0;  // stops either way
inline constexpr int kMaxOversample = 4;

const char* ColorByName(ColorBy colorBy);
std::optional<ColorBy> ParseColorBy(std::string_view name);

// Empty when the look can be developed, else what is wrong, by field name.
std::string Validate(const Look& look);

// The look's colour map; "quilt" takes the quilt's own palette.
ColorMap Colours(const Look& look, const Palette& quiltPalette);

// "#RRGGBB,#RRGGBB,..." into stops; empty, with error set, on failure.
std::vector<Rgb8> ParseGradient(std::string_view text, std::string& error);
std::string HexColour(Rgb8 colour);

void to_json(nlohmann::json& j, const Look& look);
// Fields left out keep their defaults; unknown keys and bad values throw
// std::invalid_argument naming the key.
void from_json(const nlohmann::json& j, Look& look);

}  // namespace tilvex::studio

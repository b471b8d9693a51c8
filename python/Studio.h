#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "cli/StudioOptions.h"
#include "render/QuiltSnapshot.h"
#include "studio/FloatImage.h"

namespace tilvex::python {

// A studio picture as the keyword arguments ask for it, in the command
// line's option groups so it is checked with the command line's words.
struct StudioRequest {
    cli::RenderSettingsOptions sampling;
    cli::LookOptions look;
    cli::RunOptions run;
    int period = 1;
    int bitDepth = 8;

    // Empty when the picture can be made of this quilt, else the problem.
    std::string Validate(const QuiltSnapshot& quilt) const;
};

// Samples the quilt to the budget and develops it, as `tilvex-cli studio`
// does before writing. Empty when stopped.
std::optional<studio::FloatImage> DevelopStudio(std::shared_ptr<const QuiltSnapshot> quilt,
                                                const StudioRequest& request, std::stop_token stop);

// The developed tile repeated period x period times, RGB top row first, each
// channel quantised to 8 or 16 bits exactly as the PNG writers do.
std::vector<std::uint8_t> TiledRgb8(const studio::FloatImage& tile, int period);
std::vector<std::uint16_t> TiledRgb16(const studio::FloatImage& tile, int period);

}  // namespace tilvex::python

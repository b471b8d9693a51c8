#pragma once

#include <optional>
#include <string>

#include "core/DialogFields.h"

namespace tilvex {
class CTilvexApp;
}

namespace tilvex::cli {

// --palette start | random | density | cycle:R,G,B:R,G,B:CYCLES
struct PaletteChoice {
    enum class Kind { Start, Random, Density, Cycle } kind = Kind::Start;
    DensityPaletteFields cycle;  // start colour, final colour and cycles for Cycle
};

// The choice, or an error message for text that is not one.
std::optional<PaletteChoice> ParsePaletteChoice(const std::string& text, std::string& error);
// Applies the choice as the palette commands do; Cycle with the option's colours and cycles.
void ApplyPaletteChoice(CTilvexApp& app, const PaletteChoice& choice);

}  // namespace tilvex::cli

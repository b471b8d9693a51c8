#pragma once

#include <array>
#include <cstdint>

namespace tilvex {

struct PaletteEntry {
    std::uint8_t red = 0, green = 0, blue = 0, flags = 0;
};

using Palette = std::array<PaletteEntry, 256>;

// Where the desktop program shows the palette; libtilvex alone has none.
class PaletteDisplay {
public:
    virtual ~PaletteDisplay() = default;
    // Makes the painted image show these entries; false on failure.
    virtual bool ShowPalette(const Palette& entries) = 0;
};

}  // namespace tilvex

#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/Complex.h"
#include "core/PaletteEntry.h"
#include "core/TilvexApp.h"

namespace tilvex::studio {

// Everything the studio renderer needs of one quilt, by value, so it can run
// on worker threads while the quilt itself goes on generating.
struct StudioQuilt {
    QuiltKind kind = QuiltKind::Square;
    int hexKnot = 0;
    SqrMap square;
    HexMap hex;
    MapSixFourTwelve fourSixTwelve;
    MapFourEight fourEight;
    MapThreeTwelve threeTwelve;
    WildCornerMap wildCorner;
    Complex point;              // the orbit where the quilt left it
    double gridScale = 100.0;   // exact grid cells per unit
    int tileWidth = 200;        // the exact image's tile, in pixels
    int tileHeight = 200;
    int gridWidth = 0;                 // the exact density grid: gridWidth x gridWidth counts,
    std::vector<std::uint16_t> counts;  // cell (x, y) at y * gridWidth + x
    Palette palette;
    std::string name;
};

}  // namespace tilvex::studio

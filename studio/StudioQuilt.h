#pragma once

#include <string>

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
    Palette palette;
    std::string name;
};

// A copy of everything the studio renderer reads of the application's quilt.
StudioQuilt StudioQuiltOf(const CTilvexApp& app);

}  // namespace tilvex::studio

#pragma once

#include "core/Complex.h"
#include "render/QuiltSnapshot.h"

namespace tilvex::studio {

// The exact image's pixel-to-cell rule of each kind at fractional positions:
// a point of the tile (x right, y up, in the exact image's pixels) to the
// unit-square position whose density it shows. Keeps its own map copies, since
// folding uses the maps' working fields: one per thread.
class TileFolder {
public:
    explicit TileFolder(const QuiltSnapshot& quilt);

    Complex UnitPosition(double x, double y);

private:
    QuiltKind kind_;
    int knot_;
    double invScale_;
    double half_;  // the square lattice's mirror line: half the tile width
    HexMap hex_;
    MapSixFourTwelve fourSixTwelve_;
    MapFourEight fourEight_;
    MapThreeTwelve threeTwelve_;
};

}  // namespace tilvex::studio

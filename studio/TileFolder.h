#pragma once

#include <optional>

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
    // A rectangle [0, re) x [0, im) of the plane (in the tile's pixels) that the
    // fold maps onto its cell exactly as the whole plane does, where the kind's
    // fold is periodic; none where only the tile itself is known to do so.
    std::optional<Complex> FoldRegion() const;

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

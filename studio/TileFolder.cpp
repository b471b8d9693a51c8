#include "studio/TileFolder.h"

#include <cmath>

namespace tilvex::studio {

TileFolder::TileFolder(const QuiltSnapshot& quilt)
    : kind_(quilt.kind),
      knot_(quilt.detail.hexKnot),
      invScale_(1.0 / quilt.geometry.gridScale),
      half_(quilt.tile.width / 2.0),
      hex_(quilt.maps.hex),
      fourSixTwelve_(quilt.maps.fourSixTwelve),
      fourEight_(quilt.maps.fourEightEight),
      threeTwelve_(quilt.maps.threeTwelveTwelve)
{
}

Complex TileFolder::UnitPosition(double x, double y)
{
    Complex p(x * invScale_, y * invScale_);
    switch (kind_) {
    case QuiltKind::Hex: return knot_ ? hex_.PixelToLattice(x, y) : hex_.FoldToCell(p);
    case QuiltKind::FourSixTwelve: return fourSixTwelve_.FoldToCell(p);
    case QuiltKind::FourEightEight: return fourEight_.FoldToCell(p);
    case QuiltKind::ThreeTwelveTwelve: return threeTwelve_.FoldToCell(p);
    case QuiltKind::Square:
    case QuiltKind::WildCorner: break;
    }
    // Column 0 of the grid lies on the vertical centre line, row 0 on the bottom
    // and top edges; the two halves mirror each other.
    return {std::fabs(x - half_) * invScale_, (half_ - std::fabs(y - half_)) * invScale_};
}

}  // namespace tilvex::studio

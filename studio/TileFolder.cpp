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

std::optional<Complex> TileFolder::FoldRegion() const
{
    const double scale = 1.0 / invScale_;
    // The tiling folds mirror the plane into [0, w] x [0, h] first: that quarter of their period will do.
    switch (kind_) {
    case QuiltKind::FourSixTwelve: return Complex(fourSixTwelve_.dodecagonCenter.re * scale, scale);
    case QuiltKind::FourEightEight: return Complex(fourEight_.topRightSquareCenter.re * scale, scale);
    case QuiltKind::ThreeTwelveTwelve: return Complex(scale, threeTwelve_.topDodecagonCenter.im * scale);
    case QuiltKind::Hex:
        if (!knot_) return Complex(3.0 * scale, hex_.fullHeight * scale);  // FoldToCell's block
        return std::nullopt;
    default: return std::nullopt;
    }
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

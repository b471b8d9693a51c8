#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>

#include "core/Complex.h"
#include "core/QuiltMap.h"
#include "maps/QuiltMaps.h"
#include "render/QuiltSnapshot.h"

namespace tilvex {

// How a tile's pixels reach the grid. Written over any quilt value with the
// application's field names (a snapshot, or the state itself), so the image
// builder, every writer and the state's own queries classify alike.
enum class PixelRule { FourSixTwelve, FourEightEight, ThreeTwelveTwelve, Hex, SquareLattice };

template <class Quilt>
PixelRule PixelRuleOf(const Quilt& q)
{
    if (q.kindFlags.kindFourSixTwelve) return PixelRule::FourSixTwelve;
    if (q.kindFlags.kindFourEightEight) return PixelRule::FourEightEight;
    if (q.kindFlags.kindThreeTwelveTwelve) return PixelRule::ThreeTwelveTwelve;
    if (q.kindFlags.kindHex || q.kindFlags.kindReserved) return PixelRule::Hex;
    return PixelRule::SquareLattice;
}

// trunc(v) as an int, saturated so that no tile size or cell index can overflow.
inline int TruncToInt(double v)
{
    if (!(v == v)) return 0;
    if (v >= 1e9) return 1000000000;
    if (v <= -1e9) return -1000000000;
    return static_cast<int>(v);
}

// PixelIndex with the factor taken once per image.
class IndexScale {
public:
    explicit IndexScale(std::uint16_t maxCount) : factor_(maxCount == 0 ? 1.0 : 256.0 / maxCount) {}
    std::uint8_t operator()(std::uint16_t count) const
    {
        int index = static_cast<int>(std::trunc(count * factor_));
        return static_cast<std::uint8_t>(index > 255 ? 255 : index);
    }

private:
    double factor_;
};

// The screen tile of the quilt's kind.
template <class Quilt>
TileSize ScreenTileSize(const Quilt& q)
{
    TileSize t;
    switch (PixelRuleOf(q)) {
    case PixelRule::Hex:
        t.width = TruncToInt(q.maps.hex.tileWidth);
        t.height = TruncToInt(q.maps.hex.tileHeight);
        break;
    case PixelRule::FourSixTwelve:
        t.width = 2 * TruncToInt(q.maps.fourSixTwelve.dodecagonCenter.re * q.geometry.gridScale);
        t.height = 2 * TruncToInt(q.maps.fourSixTwelve.upperDodecagonCenter.im * q.geometry.gridScale);
        break;
    case PixelRule::ThreeTwelveTwelve:
        t.width = 2 * TruncToInt(q.maps.threeTwelveTwelve.rightDodecagonCenter.re * q.geometry.gridScale);
        t.height = 2 * TruncToInt(q.maps.threeTwelveTwelve.topDodecagonCenter.im * q.geometry.gridScale);
        break;
    case PixelRule::FourEightEight:
    case PixelRule::SquareLattice:
        t.width = t.height = 2 * q.geometry.gridSize;
        break;
    }
    return t;
}

namespace pixel_detail {

// Reduces a shifted square-lattice coordinate into 0 .. m - 1. A single wrap
// is all the slant ever needs below an angle of nearly half a turn; steeper
// shears would leave the tile, so they are reduced completely.
inline double WrapInto(double v, int m)
{
    if (!std::isfinite(v)) return 0.0;
    v = std::fmod(v, m);
    if (v < 0) v += m;
    return v;
}

template <class Quilt>
std::optional<GridCell> SquareLatticeCell(const Quilt& q, int x, int y)
{
    const int n = q.geometry.gridSize;
    if (!q.transform.transformEnabled) {
        GridCell cell;
        cell.x = x >= n ? x - n : n - 1 - x;
        cell.y = y < n ? y : 2 * n - 1 - y;
        return cell;
    }
    const int m = 2 * n;
    double X = x, Y = y;
    if (q.transform.zigZag && m > 0) {
        if (q.transform.slantUpDown == 0)
            X = WrapInto(X - std::trunc(std::fabs(n - Y) * q.transform.slantRatioWhole), m);
        else
            Y = WrapInto(Y - std::trunc(std::fabs(X - n) * q.transform.slantRatio), m);
    }
    if (X >= n) X = 2.0 * n - 1 - X;
    if (Y >= n) Y = 2.0 * n - 1 - Y;
    return GridCell{TruncToInt(X), TruncToInt(Y)};
}

}  // namespace pixel_detail

// The grid cell pixel (x, y) of a tile shows. The folds keep working values
// in the maps they run on: fold is the group they update (a copy of q's maps,
// or the state's own).
template <class Quilt>
std::optional<GridCell> CellOf(const Quilt& q, QuiltMaps& fold, PixelRule rule, int x, int y)
{
    const double g = q.geometry.gridScale;
    Complex p(x * q.geometry.gridScaleInverse, y * q.geometry.gridScaleInverse);
    Complex c;
    switch (rule) {
    case PixelRule::FourSixTwelve: c = fold.fourSixTwelve.FoldToCell(p); break;
    case PixelRule::FourEightEight: c = fold.fourEightEight.FoldToCell(p); break;
    case PixelRule::ThreeTwelveTwelve: c = fold.threeTwelveTwelve.FoldToCell(p); break;
    case PixelRule::Hex: {
        c = q.detail.hexKnot ? fold.hex.PixelToLattice(x, y) : fold.hex.FoldToCell(p);
        double a = std::trunc(g * c.re), b = std::trunc(g * c.im);
        const int n = q.geometry.gridSize;
        if (!(a >= 0 && a < n && b >= 0 && b < n)) return std::nullopt;
        return GridCell{static_cast<int>(a), static_cast<int>(b)};
    }
    case PixelRule::SquareLattice: return pixel_detail::SquareLatticeCell(q, x, y);
    }
    // A pixel on the cell's far mirror line folds to exactly 1.0, one column or
    // row past the grid, which would draw an empty seam through every tile; it
    // shows the last column or row instead.
    const int n = q.geometry.gridSize;
    return GridCell{std::min(TruncToInt(g * c.re), n - 1), std::min(TruncToInt(g * c.im), n - 1)};
}

// Cells whose coordinates leave the 16-bit range are empty; the grid itself
// bounds every other read to its storage.
inline std::uint16_t CountOf(const QuiltMap& grid, const std::optional<GridCell>& cell)
{
    if (!cell || cell->x < 0 || cell->y < 0 || cell->x > 0xFFFF || cell->y > 0xFFFF) return 0;
    return grid.CountAt(cell->x, cell->y);
}

}  // namespace tilvex

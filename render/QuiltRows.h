#pragma once

#include <cmath>
#include <cstdint>
#include <optional>

#include "core/TilvexApp.h"

namespace tilvex {

// How a tile's pixels reach the grid; the image builder and every writer
// classify the kind flags the same way.
enum class PixelRule { FourSixTwelve, FourEightEight, ThreeTwelveTwelve, Hex, SquareLattice };

PixelRule PixelRuleOf(const CTilvexApp& app);

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

// Produces the rows of an exported image: the tile repeated period times across
// and up. Tile row 0 is the bottom row of the picture. The square lattice is
// mirrored without the screen's transformation.
class QuiltRows {
public:
    // tileWidth x tileHeight pixels per tile; a negative size or period counts as 0.
    QuiltRows(CTilvexApp& app, int period, int tileWidth, int tileHeight);

    int Period() const { return period_; }
    int TileWidth() const { return tileWidth_; }
    int TileHeight() const { return tileHeight_; }
    long long Width() const { return static_cast<long long>(period_) * tileWidth_; }
    long long Height() const { return static_cast<long long>(period_) * tileHeight_; }

    // Writes the Width() palette indices of tile row y (0 <= y < TileHeight()).
    void TileRow(int y, std::uint8_t* row);

private:
    CTilvexApp& app_;
    PixelRule rule_;
    IndexScale scale_;
    int period_;
    int tileWidth_;
    int tileHeight_;
};

}  // namespace tilvex

#pragma once

#include <cstdint>
#include <vector>

#include "maps/QuiltMaps.h"
#include "render/PixelRules.h"
#include "render/QuiltSnapshot.h"

namespace tilvex {

// Produces the rows of an exported image: the tile repeated period times across
// and up. Tile row 0 is the bottom row of the picture. The square lattice is
// mirrored without the screen's transformation.
class QuiltRows {
public:
    // tileWidth x tileHeight pixels per tile; a negative size or period counts
    // as 0. fold: the maps the pixel rules fold through (see CellOf).
    QuiltRows(const QuiltSnapshot& quilt, QuiltMaps& fold, int period, int tileWidth, int tileHeight);

    int Period() const { return period_; }
    int TileWidth() const { return tileWidth_; }
    int TileHeight() const { return tileHeight_; }
    long long Width() const { return static_cast<long long>(period_) * tileWidth_; }
    long long Height() const { return static_cast<long long>(period_) * tileHeight_; }

    // Writes the Width() palette indices of tile row y (0 <= y < TileHeight()).
    void TileRow(int y, std::uint8_t* row);

private:
    const QuiltSnapshot& quilt_;
    QuiltMaps& fold_;
    PixelRule rule_;
    IndexScale scale_;
    int period_;
    int tileWidth_;
    int tileHeight_;
};

// Mirrored square-lattice row: column 0 of the grid at the centre line.
void MirroredSquareRow(const QuiltMap& grid, const IndexScale& scale, int n, int y, std::uint8_t* row);

// Builds the screen image of q into block: the 8-bit bitmap header, q's colour
// table and one tile of pixels (a tile taller than the block keeps its bottom
// rows). The block must hold at least the header and colour table.
void BuildImageBlock(const QuiltSnapshot& q, QuiltMaps& fold, std::vector<std::uint8_t>& block);

}  // namespace tilvex

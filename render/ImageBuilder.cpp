#include <algorithm>
#include <cstring>

#include "render/DibLayout.h"
#include "render/QuiltRows.h"

namespace tilvex {

void MirroredSquareRow(const QuiltMap& grid, const IndexScale& scale, int n, int y, std::uint8_t* row)
{
    const int j = y < n ? y : 2 * n - 1 - y;
    for (int i = 0; i < n; ++i) {
        std::uint8_t v = scale(grid.CountAt(i, j));
        row[n + i] = v;
        row[n - 1 - i] = v;
    }
}

void BuildImageBlock(const QuiltSnapshot& q, QuiltMaps& fold, std::vector<std::uint8_t>& block)
{
    TileSize tile = q.tile;
    const int width = std::max(tile.width, 0);
    const std::size_t stride = DibRowStride(width);
    // A tile taller than the block holds keeps its bottom rows only.
    std::size_t rows = static_cast<std::size_t>(std::max(tile.height, 0));
    if (stride > 0) rows = std::min(rows, (block.size() - 1064) / stride);
    const int height = static_cast<int>(rows);

    PutDibInfoHeader(block.data(), width, height, static_cast<std::uint32_t>(stride * rows), 256);
    PutDibColourTable(block.data() + 40, q.paletteEntries);

    const PixelRule rule = PixelRuleOf(q);
    const IndexScale scale(q.grid.maxCount);
    const int n = q.geometry.gridSize;
    const bool mirrorOnly = rule == PixelRule::SquareLattice && !q.transform.transformEnabled && width == 2 * n;
    std::uint8_t* pixels = block.data() + 1064;
    if (stride == 0) return;  // a tile of no width has rows of no bytes, however many
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = pixels + static_cast<std::size_t>(y) * stride;
        std::memset(row, 0, stride);
        if (mirrorOnly) {
            MirroredSquareRow(q.grid, scale, n, y, row);
            continue;
        }
        for (int x = 0; x < width; ++x) row[x] = scale(CountOf(q.grid, CellOf(q, fold, rule, x, y)));
    }
}

QuiltRows::QuiltRows(const QuiltSnapshot& quilt, QuiltMaps& fold, int period, int tileWidth, int tileHeight)
    : quilt_(quilt),
      fold_(fold),
      rule_(PixelRuleOf(quilt)),
      scale_(quilt.grid.maxCount),
      period_(std::max(period, 0)),
      tileWidth_(std::max(tileWidth, 0)),
      tileHeight_(std::max(tileHeight, 0))
{
}

void QuiltRows::TileRow(int y, std::uint8_t* row)
{
    const int tw = tileWidth_;
    if (tw == 0) return;
    if (rule_ == PixelRule::SquareLattice) {
        MirroredSquareRow(quilt_.grid, scale_, tw / 2, y, row);
        if (tw % 2) row[tw - 1] = 0;
    } else {
        for (int x = 0; x < tw; ++x) row[x] = scale_(CountOf(quilt_.grid, CellOf(quilt_, fold_, rule_, x, y)));
    }
    for (int k = 1; k < period_; ++k) std::memcpy(row + static_cast<std::size_t>(k) * tw, row, tw);
}

}  // namespace tilvex

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "core/TilvexApp.h"
#include "render/DibLayout.h"
#include "render/QuiltRows.h"

namespace tilvex {

namespace {

// Reduces a shifted square-lattice coordinate into 0 .. m - 1. A single wrap
// is all the slant ever needs below an angle of nearly half a turn; steeper
// shears would leave the tile, so they are reduced completely.
double WrapInto(double v, int m)
{
    if (!std::isfinite(v)) return 0.0;
    v = std::fmod(v, m);
    if (v < 0) v += m;
    return v;
}

std::optional<GridCell> SquareLatticeCell(const CTilvexApp& app, int x, int y)
{
    const int n = app.gridSize;
    if (!app.transformEnabled) {
        GridCell cell;
        cell.x = x >= n ? x - n : n - 1 - x;
        cell.y = y < n ? y : 2 * n - 1 - y;
        return cell;
    }
    const int m = 2 * n;
    double X = x, Y = y;
    if (app.zigZag && m > 0) {
        if (app.slantUpDown == 0)
            X = WrapInto(X - std::trunc(std::fabs(n - Y) * app.slantRatioWhole), m);
        else
            Y = WrapInto(Y - std::trunc(std::fabs(X - n) * app.slantRatio), m);
    }
    if (X >= n) X = 2.0 * n - 1 - X;
    if (Y >= n) Y = 2.0 * n - 1 - Y;
    return GridCell{TruncToInt(X), TruncToInt(Y)};
}

std::optional<GridCell> CellOf(CTilvexApp& app, PixelRule rule, int x, int y)
{
    const double g = app.gridScale;
    Complex p(x * app.gridScaleInverse, y * app.gridScaleInverse);
    Complex q;
    switch (rule) {
    case PixelRule::FourSixTwelve: q = app.fourSixTwelveMap.FoldToCell(p); break;
    case PixelRule::FourEightEight: q = app.fourEightEightMap.FoldToCell(p); break;
    case PixelRule::ThreeTwelveTwelve: q = app.threeTwelveTwelveMap.FoldToCell(p); break;
    case PixelRule::Hex: {
        q = app.hexKnot ? app.hexMap.PixelToLattice(x, y) : app.hexMap.FoldToCell(p);
        double a = std::trunc(g * q.re), b = std::trunc(g * q.im);
        const int n = app.gridSize;
        if (!(a >= 0 && a < n && b >= 0 && b < n)) return std::nullopt;
        return GridCell{static_cast<int>(a), static_cast<int>(b)};
    }
    case PixelRule::SquareLattice: return SquareLatticeCell(app, x, y);
    }
    // A pixel on the cell's far mirror line folds to exactly 1.0, one column or
    // row past the grid, which would draw an empty seam through every tile; it
    // shows the last column or row instead.
    const int n = app.gridSize;
    return GridCell{std::min(TruncToInt(g * q.re), n - 1), std::min(TruncToInt(g * q.im), n - 1)};
}

// Cells whose coordinates leave the 16-bit range are empty; the grid itself
// bounds every other read to its storage.
std::uint16_t CountOf(const QuiltMap& grid, const std::optional<GridCell>& cell)
{
    if (!cell || cell->x < 0 || cell->y < 0 || cell->x > 0xFFFF || cell->y > 0xFFFF) return 0;
    return grid.CountAt(cell->x, cell->y);
}

// Mirrored square-lattice row: column 0 of the grid at the centre line.
void MirroredSquareRow(const QuiltMap& grid, const IndexScale& scale, int n, int y, std::uint8_t* row)
{
    const int j = y < n ? y : 2 * n - 1 - y;
    for (int i = 0; i < n; ++i) {
        std::uint8_t v = scale(grid.CountAt(i, j));
        row[n + i] = v;
        row[n - 1 - i] = v;
    }
}

}  // namespace

PixelRule PixelRuleOf(const CTilvexApp& app)
{
    if (app.kindFourSixTwelve) return PixelRule::FourSixTwelve;
    if (app.kindFourEightEight) return PixelRule::FourEightEight;
    if (app.kindThreeTwelveTwelve) return PixelRule::ThreeTwelveTwelve;
    if (app.kindHex || app.kindReserved) return PixelRule::Hex;
    return PixelRule::SquareLattice;
}

TileSize CTilvexApp::CurrentTileSize() const
{
    TileSize t;
    switch (PixelRuleOf(*this)) {
    case PixelRule::Hex:
        t.width = TruncToInt(hexMap.tileWidth);
        t.height = TruncToInt(hexMap.tileHeight);
        break;
    case PixelRule::FourSixTwelve:
        t.width = 2 * TruncToInt(fourSixTwelveMap.dodecagonCenter.re * gridScale);
        t.height = 2 * TruncToInt(fourSixTwelveMap.upperDodecagonCenter.im * gridScale);
        break;
    case PixelRule::ThreeTwelveTwelve:
        t.width = 2 * TruncToInt(threeTwelveTwelveMap.rightDodecagonCenter.re * gridScale);
        t.height = 2 * TruncToInt(threeTwelveTwelveMap.topDodecagonCenter.im * gridScale);
        break;
    case PixelRule::FourEightEight:
    case PixelRule::SquareLattice:
        t.width = t.height = 2 * gridSize;
        break;
    }
    return t;
}

int CTilvexApp::PixelIndex(std::uint16_t count) const { return IndexScale(grid.maxCount)(count); }

std::optional<GridCell> CTilvexApp::CellForPixel(int x, int y) { return CellOf(*this, PixelRuleOf(*this), x, y); }

int CTilvexApp::BuildImage()
{
    ui->BeginWaitCursor();
    grid.RemoveFloor();
    if (imageMemory.size() < 1064) {
        ui->EndWaitCursor();
        return 0;
    }
    TileSize tile = CurrentTileSize();
    const int width = std::max(tile.width, 0);
    const std::size_t stride = DibRowStride(width);
    // A tile taller than the block holds keeps its bottom rows only.
    std::size_t rows = static_cast<std::size_t>(std::max(tile.height, 0));
    if (stride > 0) rows = std::min(rows, (imageMemory.size() - 1064) / stride);
    const int height = static_cast<int>(rows);

    PutDibInfoHeader(imageMemory.data(), width, height, static_cast<std::uint32_t>(stride * rows), 256);
    RecolourImage();

    const PixelRule rule = PixelRuleOf(*this);
    const IndexScale scale(grid.maxCount);
    const int n = gridSize;
    const bool mirrorOnly = rule == PixelRule::SquareLattice && !transformEnabled && width == 2 * n;
    std::uint8_t* pixels = imageMemory.data() + 1064;
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = pixels + static_cast<std::size_t>(y) * stride;
        std::memset(row, 0, stride);
        if (mirrorOnly) {
            MirroredSquareRow(grid, scale, n, y, row);
            continue;
        }
        for (int x = 0; x < width; ++x) row[x] = scale(CountOf(grid, CellOf(*this, rule, x, y)));
    }
    ui->EndWaitCursor();
    return ApplyPalette();
}

QuiltRows::QuiltRows(CTilvexApp& app, int period, int tileWidth, int tileHeight)
    : app_(app),
      rule_(PixelRuleOf(app)),
      scale_(app.grid.maxCount),
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
        MirroredSquareRow(app_.grid, scale_, tw / 2, y, row);
        if (tw % 2) row[tw - 1] = 0;
    } else {
        for (int x = 0; x < tw; ++x) row[x] = scale_(CountOf(app_.grid, CellOf(app_, rule_, x, y)));
    }
    for (int k = 1; k < period_; ++k) std::memcpy(row + static_cast<std::size_t>(k) * tw, row, tw);
}

}  // namespace tilvex

#include "studio/StudioQuiltFromApp.h"

#include "core/TilvexApp.h"

namespace tilvex::studio {

StudioQuilt StudioQuiltFromApp(CTilvexApp& app)
{
    StudioQuilt q;
    q.kind = app.Kind();
    q.hexKnot = app.hexKnot;
    q.square = app.squareMap;
    q.hex = app.hexMap;
    q.fourSixTwelve = app.fourSixTwelveMap;
    q.fourEight = app.fourEightEightMap;
    q.threeTwelve = app.threeTwelveTwelveMap;
    q.wildCorner = app.wildCornerMap;
    q.point = app.point;
    q.gridScale = app.gridScale;
    TileSize tile = app.CurrentTileSize();
    q.tileWidth = tile.width;
    q.tileHeight = tile.height;
    q.gridWidth = app.grid.width;
    q.counts.resize(static_cast<std::size_t>(q.gridWidth) * q.gridWidth);
    for (int y = 0; y < q.gridWidth; ++y)
        for (int x = 0; x < q.gridWidth; ++x) q.counts[static_cast<std::size_t>(y) * q.gridWidth + x] = app.grid.CountAt(x, y);
    q.palette = app.paletteEntries;
    q.name = app.QuiltName();
    return q;
}

}  // namespace tilvex::studio

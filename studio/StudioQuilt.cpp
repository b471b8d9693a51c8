#include "studio/StudioQuilt.h"

namespace tilvex::studio {

StudioQuilt StudioQuiltOf(const CTilvexApp& app)
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
    q.palette = app.paletteEntries;
    q.name = app.QuiltName();
    return q;
}

}  // namespace tilvex::studio

#pragma once

#include <cstdint>
#include <string>

#include "core/Complex.h"
#include "core/PaletteEntry.h"
#include "core/QuiltMap.h"
#include "maps/QuiltKind.h"
#include "maps/QuiltMaps.h"

namespace tilvex {

struct GridCell {
    int x = 0, y = 0;
};

struct TileSize {
    int width = 0, height = 0;
};

// Everything a picture of one quilt is made from, copied out of an
// application state at one moment. Renderers on other threads take these
// while the quilt goes on; nothing here refers back to the state.
struct QuiltSnapshot {
    QuiltKind kind = QuiltKind::Square;
    // The kind flags as the pixel rules test them (kindReserved also selects
    // the hex rule).
    int kindHex = 0, kindReserved = 0, kindFourSixTwelve = 0, kindFourEightEight = 0, kindThreeTwelveTwelve = 0,
        kindWildCorner = 0;
    int hexKnot = 0;
    QuiltMaps maps;

    Complex point, nextPoint;
    double plotX = 0.0, plotY = 0.0;
    double gridScale = 0.0, gridScaleInverse = 0.0;
    std::uint16_t gridSize = 0;

    int transformEnabled = 0;
    int zigZag = 0;
    int slantUpDown = 0;
    double slantShiftWhole = 0.0, slantAngle = 0.0, slantRatioWhole = 0.0, slantShift = 0.0, slantRatio = 0.0;

    QuiltMap grid;  // width, counts and maxCount
    Palette paletteEntries;
    double tileWidth = 0.0, tileHeight = 0.0;
    TileSize tile;  // the screen tile of the kind
    std::int16_t viewPeriod = 1;

    std::string quiltName;
    int iterationCount = 0;
    int maxIterations = 0;
    int filledCells = 0;
};

}  // namespace tilvex

#pragma once

#include <cstdint>
#include <string>

#include "core/PaletteEntry.h"
#include "core/QuiltMap.h"
#include "core/QuiltState.h"
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
    KindFlags kindFlags;
    DetailSettings detail;  // the knot picks the hex pixel rule and step
    QuiltMaps maps;
    OrbitState orbit;
    GridGeometry geometry;
    Transformation transform;
    QuiltMap grid;  // width, counts and maxCount
    Palette paletteEntries;
    TileSize tile;  // the screen tile of the kind
    std::string quiltName;
    RunCounters counters;
};

}  // namespace tilvex

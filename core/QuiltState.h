#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "core/Complex.h"
#include "core/GrowableArray.h"
#include "core/PaletteEntry.h"

namespace tilvex {

// The value groups one quilt's state is made of, each named for what it
// holds. The application state owns one of each; snapshots copy the ones a
// picture needs; the session header is several of them in file order.

// Which map family runs. At most one family flag is set; none means square.
// kindReserved selects the hex pixel rule as kindHex does.
struct KindFlags {
    int kindHex = 0;
    int kindReserved = 0;
    int kindFourSixTwelve = 0;
    int kindFourEightEight = 0;
    int kindThreeTwelveTwelve = 0;
    int kindWildCorner = 0;

    // Every family flag off.
    void Clear()
    {
        kindHex = kindReserved = kindFourSixTwelve = kindFourEightEight = kindThreeTwelveTwelve = kindWildCorner = 0;
    }
};

// The forms of the square and hex maps as chosen: detailed or not, the
// detail depths, and the hex map's knot form. The maps keep copies of their
// own, which they step with and store in their session records; the state's
// PushDetailToMaps hands these on to them.
struct DetailSettings {
    int detailedSquare = 0;
    std::uint16_t squareDetailDepth = 6;
    int detailedHex = 0;
    int hexDetailDepth = 11;
    int hexKnot = 0;
};

// Where generation stands between idle calls.
struct RunState {
    int limitReached = 0;
    int generating = 0;
    int restartPending = 0;
    int useRandomSettings = 1;
    int idleBusy = 0;
};

struct RunCounters {
    int filledCells = 0;
    int minFilledCells = 0;
    int iterationCount = 0;
    int maxIterations = 3500000;
    int restarts = 0;  // convergence restarts since the state was made; not saved
};

// The orbit: the map's point, the step's unreduced result, and where it
// lands in the unit square and on the grid.
struct OrbitState {
    Complex point;
    Complex nextPoint;
    double plotX = 0.0, plotY = 0.0;
    int cellX = 0, cellY = 0;
};

// The grid's scale and the tile and view the quilt is shown in.
struct GridGeometry {
    double gridScale = 0.0;
    double gridScaleInverse = 0.0;
    std::uint16_t gridSize = 100;
    double tileWidth = 0.0, tileHeight = 0.0;
    int imageWidth = 0, imageHeight = 0;
    int hexSizeLimit = 0;
    std::int16_t viewPeriod = 1;
};

// The slant applied to square-lattice images.
struct Transformation {
    int transformEnabled = 0;
    int zigZag = 0;
    int slantUpDown = 0;
    double slantShiftWhole = 0.0;
    double slantAngle = 0.0;
    double slantRatioWhole = 0.0;
    double slantShift = 0.0;
    double slantRatio = 0.0;
};

// The quilt's name and number, and the header's reserved words (reserved1
// marks Wild Corner quilts).
struct QuiltIdentity {
    char quiltName[20] = {};  // ends at its first zero, or fills all 20
    std::string_view Name() const { return {quiltName, strnlen(quiltName, sizeof quiltName)}; }
    int quiltNumber = 0;
    int reserved1 = 0, reserved2 = 0, reserved3 = 0;
};

// The 256 entries and the density colouring they were made from.
struct PaletteState {
    Palette paletteEntries;
    std::uint16_t densityCycles = 3;
    int densityCyclesDefault = 1;
    CWordArray anchorRed{11, 1}, anchorGreen{11, 1}, anchorBlue{11, 1};
    CintArray stepRed{11, 1}, stepGreen{11, 1}, stepBlue{11, 1};
    int densityRecolourOnly = 0;
    PaletteDisplay* displayPalette = nullptr;  // where the palette is shown, if anywhere
};

// The 256-colour image block of one period.
struct ImageBuffer {
    std::vector<std::uint8_t> imageMemory;  // empty: none
    int imageBuilt = 0;
};

// Items 2-35 of a session file live in these groups; the file reads and
// writes them through this one value.
struct SessionHeader {
    RunState run;
    DetailSettings detail;
    KindFlags kindFlags;
    RunCounters counters;
    GridGeometry geometry;
    QuiltIdentity identity;
    OrbitState orbit;
};

}  // namespace tilvex

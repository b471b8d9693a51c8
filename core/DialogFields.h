#pragma once

#include <cstdint>

#include "core/Complex.h"

namespace tilvex {

// One plain structure per dialog: the caller fills it before the dialog is
// shown and reads it back after OK. Field names and kinds follow the dialogs.

struct SquareQuiltFields {  // 101 "Set Square Quilt "
    unsigned sizeLimit = 0;
    double alpha = 0, beta = 0, gamma = 0, lambda = 0, omega = 0;
    int offset = 0;
    unsigned size = 0;
    int useRandom = 0;
    int emm = 0;
    int detailed = 0;
};

struct StatusFields {  // 102 "Status"
    std::uint32_t maxIterations = 0;
    std::uint32_t iterationCount = 0;
};

struct ViewPeriodFields {  // 108 "Set View Quilt Periods"
    unsigned period = 0;
};

struct SelectColorFields {  // 110 "Select Color To Set"
    unsigned colorNumber = 0;
};

struct AllCoefficientsFields {  // 111 "All Coificients Dialog"
    unsigned sizeLimit = 0;
    double coef[6][6] = {};  // [column i][row j] holds matrix entry (i, j)
    unsigned size = 0;
    int useRandom = 0;
    int offset = 0;
    unsigned depth = 0;
    int detailed = 0;
    int emm = 0;
};

struct UseDetailFields {  // 113 "Use Detail"
    unsigned squareDepth = 0;
    int useSquare = 0;
    int useHex = 0;
    unsigned hexDepth = 0;
};

struct DensityPaletteFields {  // 114 "Palette Reset by Density"
    unsigned cycles = 0;
    unsigned finalBlue = 0, finalGreen = 0, finalRed = 0;
    unsigned startBlue = 0, startGreen = 0, startRed = 0;
    int cyclesDefault = 0;
    int recolourOnly = 0;
};

struct HexQuiltFields {  // 116 "Set Hex Quilt "
    unsigned sizeLimit = 0;
    double alphaIm = 0, alphaRe = 0;
    unsigned hEmm = 0;
    double hAlpha = 0, lambdaIm = 0, lambdaRe = 0;
    unsigned size = 0;
    int useRandom = 0;
    int detailed = 0;
    int knot = 0;
};

struct TransformFields {  // 119 "Transformations of Square"
    int upDown = 0;
    double slantAngle = 0;
    int zigZag = 0;
};

struct ChooseMapFields {  // 122 "Choose Map" (the radio buttons act on the kind flags directly)
    int detailedSquare = 0;
    int useRandom = 0;
    int detailedHex = 0;
};

struct HexDetailFields {  // 123 "Hex Detailing Coificents"
    Complex coef[12];  // row k: real part left, imaginary part right
    unsigned sizeLimit = 0;
    int knot = 0;
    int size = 0;
    int useRandom = 0;
    int detailed = 0;
    int depth = 0;
};

struct CornerWildFields {  // 124 "Corner Wild Coificents"
    Complex coef[12];
    unsigned size = 0;
    int useRandom = 0;
    unsigned cornerN = 0;
    unsigned depth = 0;
};

// Colour as the colour chooser hands it over.
struct Rgb {
    std::uint8_t red = 0, green = 0, blue = 0;
};

}  // namespace tilvex

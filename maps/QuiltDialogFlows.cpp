#include <cmath>

#include "core/TilvexApp.h"

namespace tilvex {

namespace {

constexpr double kWildCornerIterationFactor = 9500000.0;

int TruncatedEmm(double emm) { return static_cast<int>(std::trunc(emm)); }

}  // namespace

void CTilvexApp::ChooseQuiltFractal()
{
    // The lattice kinds have no parameter dialog: choosing means new random settings.
    if (kindFourSixTwelve) {
        fourSixTwelveMap.Randomize(random);
        RandomStartPoint();
        ResetGeneration();
    } else if (kindThreeTwelveTwelve) {
        threeTwelveTwelveMap.Randomize(random);
        RandomStartPoint();
        ResetGeneration();
    } else if (kindFourEightEight) {
        fourEightEightMap.Randomize(random);
        RandomStartPoint();
        ResetGeneration();
    } else if (kindHex) {
        // A change of the detail box leads on to the other dialog once, not back.
        if (detailedHex == 0) {
            SetHexQuilt();
            if (detailedHex == 1) SetHexCoefficients();
        } else {
            SetHexCoefficients();
            if (detailedHex == 0) SetHexQuilt();
        }
    } else if (kindWildCorner) {
        SetWildCornerQuilt();
    } else if (detailedSquare == 0) {
        SetSquareQuilt();
        if (detailedSquare == 1) SetSquareCoefficients();
    } else {
        SetSquareCoefficients();
        if (detailedSquare == 0) SetSquareQuilt();
    }
    MakeQuiltName();
}

void CTilvexApp::SetSquareQuilt()
{
    SquareQuiltFields f;
    f.sizeLimit = static_cast<unsigned>(maxGridSize - 1);
    f.alpha = squareMap.alpha;
    f.beta = squareMap.beta;
    f.gamma = squareMap.gamma;
    f.lambda = squareMap.lambda;
    f.omega = squareMap.omega;
    f.emm = TruncatedEmm(squareMap.emm);
    f.offset = squareMap.shiftX != 0.0 ? 1 : 0;
    f.size = grid.width;
    f.useRandom = useRandomSettings;
    f.detailed = detailedSquare;
    if (!ui->AskSquareQuilt(f)) return;

    squareMap.alpha = f.alpha;
    squareMap.beta = f.beta;
    squareMap.gamma = f.gamma;
    squareMap.lambda = f.lambda;
    squareMap.omega = f.omega;
    squareMap.emm = f.emm;
    detailedSquare = f.detailed;
    squareMap.shiftX = squareMap.shiftY = f.offset ? 0.5 : 0.0;
    ApplyGridWidth(static_cast<int>(f.size));
    imageBuilt = 0;
    if (f.useRandom) {
        RandomNewQuilt();
        useRandomSettings = 1;
    } else {
        ResetGeneration();
    }
}

void CTilvexApp::SetSquareCoefficients()
{
    // Copied before the dialog opens, so they hold even after Cancel.
    squareMap.detailed = detailedSquare;
    squareMap.depth = squareDetailDepth;

    AllCoefficientsFields f;
    f.sizeLimit = static_cast<unsigned>(maxGridSize - 1);
    for (int i = 0; i < 6; ++i)
        for (int j = 0; j < 6; ++j) f.coef[i][j] = squareMap.Coef(i, j);
    f.depth = squareDetailDepth;
    f.detailed = detailedSquare;
    f.size = grid.width;
    f.useRandom = useRandomSettings;
    f.emm = TruncatedEmm(squareMap.emm);
    f.offset = squareMap.shiftX != 0.0 ? 1 : 0;
    if (!ui->AskAllCoefficients(f)) return;

    for (int i = 0; i < 6; ++i)
        for (int j = 0; j < 6; ++j) squareMap.SetCoef(i, j, f.coef[i][j]);
    // The dialog shows Emm and lets it be edited: an edit takes effect, as in
    // the plain dialog.
    squareMap.emm = f.emm;
    squareDetailDepth = static_cast<std::uint16_t>(f.depth);
    squareMap.depth = squareDetailDepth;
    detailedSquare = f.detailed;
    squareMap.detailed = detailedSquare;
    squareMap.shiftX = squareMap.shiftY = f.offset ? 0.5 : 0.0;
    ApplyGridWidth(static_cast<int>(f.size));
    imageBuilt = 0;
    if (f.useRandom) {
        RandomNewQuilt();
        useRandomSettings = 1;
    }
    ResetGeneration();
}

unsigned CTilvexApp::HexDialogSizeLimit() const
{
    return static_cast<unsigned>(hexSizeLimit != 0 ? hexSizeLimit : 2 * maxGridSize / 3);
}

void CTilvexApp::SetHexQuilt()
{
    HexQuiltFields f;
    f.sizeLimit = HexDialogSizeLimit();
    f.alphaRe = hexMap.alpha.re;
    f.alphaIm = hexMap.alpha.im;
    f.lambdaRe = hexMap.lambda.re;
    f.lambdaIm = hexMap.lambda.im;
    f.hEmm = static_cast<unsigned>(TruncatedEmm(hexMap.hEmm));
    f.hAlpha = hexMap.hAlpha;
    f.size = grid.width;
    f.useRandom = useRandomSettings;
    f.detailed = detailedHex;
    f.knot = hexKnot;
    if (!ui->AskHexQuilt(f)) return;

    kindHex = 1;
    hexMap.alpha = {f.alphaRe, f.alphaIm};
    hexMap.lambda = {f.lambdaRe, f.lambdaIm};
    hexMap.hEmm = f.hEmm;
    hexMap.hAlpha = f.hAlpha;
    detailedHex = hexMap.detailed = f.detailed;
    hexKnot = hexMap.knot = f.knot;
    ApplyGridWidth(static_cast<int>(f.size));
    ApplyHexGeometry();
    imageBuilt = 0;
    if (f.useRandom) {
        RandomNewQuilt();
        useRandomSettings = 1;
    }
    ResetGeneration();
}

void CTilvexApp::SetHexCoefficients()
{
    HexDetailFields f;
    for (int k = 0; k < 12; ++k) f.coef[k] = hexMap.GetDetailCoefficient(k);
    f.sizeLimit = HexDialogSizeLimit();
    f.useRandom = useRandomSettings;
    f.knot = hexKnot;
    f.size = grid.width;
    f.detailed = detailedHex;
    f.depth = hexDetailDepth;
    if (!ui->AskHexDetail(f)) return;

    kindHex = 1;
    for (int k = 0; k < 12; ++k) hexMap.SetDetailCoefficient(k, f.coef[k]);
    hexKnot = hexMap.knot = f.knot;
    detailedHex = hexMap.detailed = f.detailed;
    hexDetailDepth = hexMap.depth = f.depth;
    ApplyGridWidth(f.size);
    ApplyHexGeometry();
    imageBuilt = 0;
    // Without random settings the iteration goes on with the new coefficients.
    if (f.useRandom) {
        RandomNewQuilt();
        useRandomSettings = 1;
    }
}

void CTilvexApp::SetWildCornerQuilt()
{
    CornerWildFields f;
    f.cornerN = static_cast<unsigned>(wildCornerMap.cornerN);
    f.depth = static_cast<unsigned>(wildCornerMap.depth);
    f.useRandom = useRandomSettings;
    f.size = grid.width;
    for (int k = 0; k < 12; ++k) f.coef[k] = wildCornerMap.GetCoefficient(k);
    if (!ui->AskCornerWild(f)) return;

    wildCornerMap.BuildFrequencies(static_cast<int>(f.cornerN));
    wildCornerMap.depth = static_cast<int>(f.depth);
    for (int k = 0; k < 12; ++k) wildCornerMap.SetCoefficient(k, f.coef[k]);
    ApplyGridWidth(static_cast<int>(f.size), kWildCornerIterationFactor);
    gridScale = grid.width;
    gridScaleInverse = 1.0 / grid.width;
    // No kind flag, no reset: the iteration goes on with the new coefficients.
    if (f.useRandom) {
        RandomNewQuilt();
        useRandomSettings = 1;
    }
}

}  // namespace tilvex

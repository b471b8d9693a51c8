#include <cmath>

#include "engine/TilvexApp.h"

namespace tilvex {

namespace {

constexpr double kWildCornerIterationFactor = 9500000.0;

int TruncatedEmm(double emm) { return static_cast<int>(std::trunc(emm)); }

}  // namespace

void CTilvexApp::ChooseQuiltFractal()
{
    // The lattice kinds have no parameter dialog: choosing means new random settings.
    if (kindFlags.kindFourSixTwelve) {
        maps.fourSixTwelve.Randomize(random);
        RandomStartPoint();
        ResetGeneration();
    } else if (kindFlags.kindThreeTwelveTwelve) {
        maps.threeTwelveTwelve.Randomize(random);
        RandomStartPoint();
        ResetGeneration();
    } else if (kindFlags.kindFourEightEight) {
        maps.fourEightEight.Randomize(random);
        RandomStartPoint();
        ResetGeneration();
    } else if (kindFlags.kindHex) {
        // A change of the detail box leads on to the other dialog once, not back.
        if (detail.detailedHex == 0) {
            SetHexQuilt();
            if (detail.detailedHex == 1) SetHexCoefficients();
        } else {
            SetHexCoefficients();
            if (detail.detailedHex == 0) SetHexQuilt();
        }
    } else if (kindFlags.kindWildCorner) {
        SetWildCornerQuilt();
    } else if (detail.detailedSquare == 0) {
        SetSquareQuilt();
        if (detail.detailedSquare == 1) SetSquareCoefficients();
    } else {
        SetSquareCoefficients();
        if (detail.detailedSquare == 0) SetSquareQuilt();
    }
    MakeQuiltName();
}

SquareQuiltFields CTilvexApp::CurrentSquareQuiltFields() const
{
    SquareQuiltFields f;
    f.sizeLimit = static_cast<unsigned>(maxGridSize - 1);
    f.alpha = maps.square.alpha;
    f.beta = maps.square.beta;
    f.gamma = maps.square.gamma;
    f.lambda = maps.square.lambda;
    f.omega = maps.square.omega;
    f.emm = TruncatedEmm(maps.square.emm);
    f.offset = maps.square.shiftX != 0.0 ? 1 : 0;
    f.size = grid.width;
    f.useRandom = run.useRandomSettings;
    f.detailed = detail.detailedSquare;
    return f;
}

void CTilvexApp::SetSquareQuilt()
{
    SquareQuiltFields f = CurrentSquareQuiltFields();
    if (ui->AskSquareQuilt(f)) ApplySquareQuilt(f);
}

void CTilvexApp::ApplySquareQuilt(const SquareQuiltFields& f)
{
    maps.square.alpha = f.alpha;
    maps.square.beta = f.beta;
    maps.square.gamma = f.gamma;
    maps.square.lambda = f.lambda;
    maps.square.omega = f.omega;
    maps.square.emm = f.emm;
    detail.detailedSquare = f.detailed;
    maps.square.shiftX = maps.square.shiftY = f.offset ? 0.5 : 0.0;
    ApplyGridWidth(static_cast<int>(f.size));
    image.imageBuilt = 0;
    if (f.useRandom) {
        RandomNewQuilt();
        run.useRandomSettings = 1;
    } else {
        ResetGeneration();
    }
}

AllCoefficientsFields CTilvexApp::CurrentAllCoefficientsFields() const
{
    AllCoefficientsFields f;
    f.sizeLimit = static_cast<unsigned>(maxGridSize - 1);
    for (int i = 0; i < 6; ++i)
        for (int j = 0; j < 6; ++j) f.coef[i][j] = maps.square.Coef(i, j);
    f.depth = detail.squareDetailDepth;
    f.detailed = detail.detailedSquare;
    f.size = grid.width;
    f.useRandom = run.useRandomSettings;
    f.emm = TruncatedEmm(maps.square.emm);
    f.offset = maps.square.shiftX != 0.0 ? 1 : 0;
    return f;
}

void CTilvexApp::SetSquareCoefficients()
{
    // Copied before the dialog opens, so they hold even after Cancel.
    PushDetailToMaps(kSquareDetail);
    AllCoefficientsFields f = CurrentAllCoefficientsFields();
    if (ui->AskAllCoefficients(f)) ApplyAllCoefficients(f);
}

void CTilvexApp::ApplyAllCoefficients(const AllCoefficientsFields& f)
{
    for (int i = 0; i < 6; ++i)
        for (int j = 0; j < 6; ++j) maps.square.SetCoef(i, j, f.coef[i][j]);
    // The dialog shows Emm and lets it be edited: an edit takes effect, as in
    // the plain dialog.
    maps.square.emm = f.emm;
    detail.squareDetailDepth = static_cast<std::uint16_t>(f.depth);
    detail.detailedSquare = f.detailed;
    PushDetailToMaps(kSquareDetail);
    maps.square.shiftX = maps.square.shiftY = f.offset ? 0.5 : 0.0;
    ApplyGridWidth(static_cast<int>(f.size));
    image.imageBuilt = 0;
    if (f.useRandom) {
        RandomNewQuilt();
        run.useRandomSettings = 1;
    }
    ResetGeneration();
}

unsigned CTilvexApp::HexDialogSizeLimit() const
{
    return static_cast<unsigned>(geometry.hexSizeLimit != 0 ? geometry.hexSizeLimit : 2 * maxGridSize / 3);
}

HexQuiltFields CTilvexApp::CurrentHexQuiltFields() const
{
    HexQuiltFields f;
    f.sizeLimit = HexDialogSizeLimit();
    f.alphaRe = maps.hex.alpha.re;
    f.alphaIm = maps.hex.alpha.im;
    f.lambdaRe = maps.hex.lambda.re;
    f.lambdaIm = maps.hex.lambda.im;
    f.hEmm = static_cast<unsigned>(TruncatedEmm(maps.hex.hEmm));
    f.hAlpha = maps.hex.hAlpha;
    f.size = grid.width;
    f.useRandom = run.useRandomSettings;
    f.detailed = detail.detailedHex;
    f.knot = detail.hexKnot;
    return f;
}

void CTilvexApp::SetHexQuilt()
{
    HexQuiltFields f = CurrentHexQuiltFields();
    if (ui->AskHexQuilt(f)) ApplyHexQuilt(f);
}

void CTilvexApp::ApplyHexQuilt(const HexQuiltFields& f)
{
    kindFlags.kindHex = 1;
    maps.hex.alpha = {f.alphaRe, f.alphaIm};
    maps.hex.lambda = {f.lambdaRe, f.lambdaIm};
    maps.hex.hEmm = f.hEmm;
    maps.hex.hAlpha = f.hAlpha;
    detail.detailedHex = f.detailed;
    detail.hexKnot = f.knot;
    // The depth is not on this dialog: the hex map keeps its own.
    PushDetailToMaps(kHexDetailed | kHexKnot);
    ApplyGridWidth(static_cast<int>(f.size));
    ApplyHexGeometry();
    image.imageBuilt = 0;
    if (f.useRandom) {
        RandomNewQuilt();
        run.useRandomSettings = 1;
    }
    ResetGeneration();
}

HexDetailFields CTilvexApp::CurrentHexDetailFields() const
{
    HexDetailFields f;
    for (int k = 0; k < 12; ++k) f.coef[k] = maps.hex.GetDetailCoefficient(k);
    f.sizeLimit = HexDialogSizeLimit();
    f.useRandom = run.useRandomSettings;
    f.knot = detail.hexKnot;
    f.size = grid.width;
    f.detailed = detail.detailedHex;
    f.depth = detail.hexDetailDepth;
    return f;
}

void CTilvexApp::SetHexCoefficients()
{
    HexDetailFields f = CurrentHexDetailFields();
    if (ui->AskHexDetail(f)) ApplyHexDetail(f);
}

void CTilvexApp::ApplyHexDetail(const HexDetailFields& f)
{
    kindFlags.kindHex = 1;
    for (int k = 0; k < 12; ++k) maps.hex.SetDetailCoefficient(k, f.coef[k]);
    detail.hexKnot = f.knot;
    detail.detailedHex = f.detailed;
    detail.hexDetailDepth = f.depth;
    PushDetailToMaps(kHexDetailed | kHexDepth | kHexKnot);
    ApplyGridWidth(f.size);
    ApplyHexGeometry();
    image.imageBuilt = 0;
    // Without random settings the iteration goes on with the new coefficients.
    if (f.useRandom) {
        RandomNewQuilt();
        run.useRandomSettings = 1;
    }
}

CornerWildFields CTilvexApp::CurrentCornerWildFields() const
{
    CornerWildFields f;
    f.cornerN = static_cast<unsigned>(maps.wildCorner.cornerN);
    f.depth = static_cast<unsigned>(maps.wildCorner.depth);
    f.useRandom = run.useRandomSettings;
    f.size = grid.width;
    for (int k = 0; k < 12; ++k) f.coef[k] = maps.wildCorner.GetCoefficient(k);
    return f;
}

void CTilvexApp::SetWildCornerQuilt()
{
    CornerWildFields f = CurrentCornerWildFields();
    if (ui->AskCornerWild(f)) ApplyCornerWild(f);
}

void CTilvexApp::ApplyCornerWild(const CornerWildFields& f)
{
    maps.wildCorner.BuildFrequencies(static_cast<int>(f.cornerN));
    maps.wildCorner.depth = static_cast<int>(f.depth);
    for (int k = 0; k < 12; ++k) maps.wildCorner.SetCoefficient(k, f.coef[k]);
    ApplyGridWidth(static_cast<int>(f.size), kWildCornerIterationFactor);
    geometry.gridScale = grid.width;
    geometry.gridScaleInverse = 1.0 / grid.width;
    // No kind flag, no reset: the iteration goes on with the new coefficients.
    if (f.useRandom) {
        RandomNewQuilt();
        run.useRandomSettings = 1;
    }
}

}  // namespace tilvex

#include "core/TilvexApp.h"

#include <climits>
#include <cmath>
#include <cstring>

#include "core/StdRand.h"

namespace tilvex {

int maxGridSize = kDefaultMaxGridSize;

namespace {
// Truncation toward zero. An orbit that escaped to infinity or NaN gives the
// integer-indefinite value the processor's own conversion gives, instead of
// undefined behaviour; the grid then folds it onto column or row 0.
int TruncToCell(double v)
{
    if (v > -2147483649.0 && v < 2147483648.0) return static_cast<int>(v);
    return INT_MIN;
}

// The counter stops at the top of its range whatever limit a session carries.
bool PastLimit(int count, int limit) { return limit < count || count == INT_MAX; }
}  // namespace

CTilvexApp::CTilvexApp(std::optional<double> seed)
    : anchorRed(11, 1), anchorGreen(11, 1), anchorBlue(11, 1), stepRed(11, 1), stepGreen(11, 1), stepBlue(11, 1)
{
    ui = &ownUi;
    random.Seed(seed ? *seed : ClockSeed());
    for (int i = 0; i < 256; ++i) {
        PaletteEntry& e = paletteEntries[i];
        e.red = static_cast<std::uint8_t>(rand() % 200 + 55);
        e.green = static_cast<std::uint8_t>(rand() % 200 + 55);
        e.blue = static_cast<std::uint8_t>(rand() % 200 + 55);
        e.flags = i == 0 ? 0 : 1;
    }
    maxGridSize = kDefaultMaxGridSize;
}

QuiltKind CTilvexApp::Kind() const
{
    if (kindFourEightEight) return QuiltKind::FourEightEight;
    if (kindThreeTwelveTwelve) return QuiltKind::ThreeTwelveTwelve;
    if (kindFourSixTwelve) return QuiltKind::FourSixTwelve;
    if (kindWildCorner) return QuiltKind::WildCorner;
    if (kindHex) return QuiltKind::Hex;
    return QuiltKind::Square;
}

void CTilvexApp::ClearKindFlags()
{
    kindHex = kindReserved = kindFourSixTwelve = kindFourEightEight = kindThreeTwelveTwelve = kindWildCorner = 0;
}

std::string CTilvexApp::QuiltName() const
{
    return std::string(quiltName, strnlen(quiltName, sizeof quiltName));
}

bool CTilvexApp::OnIdle()
{
    if (idleBusy == 1) return true;
    idleBusy = 1;
    if (PastLimit(iterationCount, maxIterations)) {
        limitReached = 1;
        generating = 0;
        idleBusy = 0;
        return true;
    }
    ++iterationCount;
    limitReached = 0;
    generating = 1;
    AdvancePoint();
    if (iterationCount > 3000) {
        cellX = TruncToCell(plotX * gridScale);
        cellY = TruncToCell(plotY * gridScale);
        if (iterationCount % 10000 == 0) {
            int before = restarts;
            CheckConvergence();
            if (restarts != before) {
                idleBusy = 0;
                return true;
            }
            if (iterationCount % 100000 == 0) grid.RemoveFloor();
        }
        grid.Increment(cellX, cellY);
    }
    idleBusy = 0;
    return true;
}

void CTilvexApp::CheckConvergence()
{
    filledCells = grid.FilledCells();
    if (filledCells < minFilledCells && filledCells < iterationCount / 50) {
        restartPending = 1;
        generating = 0;
        if (useRandomSettings == 1) {
            RandomNewQuilt();
        } else {
            ui->ShowConvergedMessage();
            ChooseQuiltFractal();
        }
        restartPending = 0;
        generating = 1;
        ++restarts;
    }
}

void CTilvexApp::AdvancePoint()
{
    switch (Kind()) {
    case QuiltKind::Square: {
        Complex r = squareMap.Iterate(point);
        nextPoint = r;
        plotX = r.re;
        plotY = r.im;
        point = r;
        break;
    }
    case QuiltKind::Hex:
        if (hexKnot == 0) {
            Complex r = hexMap.Iterate(point);
            nextPoint = r;
            plotX = r.re;
            plotY = r.im;
            point = r;
        } else {
            Complex r = hexMap.IterateKnot(point);
            plotX = r.re;
            plotY = r.im;
            WrapToUnitSquare();
            nextPoint = {plotX, plotY};
            point = {plotX + 0.5 * plotY, hexMap.halfHeight * plotY};
        }
        break;
    case QuiltKind::FourSixTwelve: PlotWrapped(fourSixTwelveMap.Iterate(point)); break;
    case QuiltKind::FourEightEight: PlotWrapped(fourEightEightMap.Iterate(point)); break;
    case QuiltKind::ThreeTwelveTwelve: PlotWrapped(threeTwelveTwelveMap.Iterate(point)); break;
    case QuiltKind::WildCorner: PlotWrapped(wildCornerMap.Iterate(point)); break;
    }
}

// The unreduced step result is kept; the point wrapped into the unit square is
// both counted and fed back.
void CTilvexApp::PlotWrapped(Complex r)
{
    nextPoint = r;
    plotX = r.re;
    plotY = r.im;
    WrapToUnitSquare();
    point = {plotX, plotY};
}

void CTilvexApp::WrapToUnitSquare()
{
    plotX = ReduceToUnit(plotX);
    plotY = ReduceToUnit(plotY);
}

void CTilvexApp::ResetGeneration()
{
    limitReached = 0;
    generating = 1;
    restartPending = 0;
    filledCells = 0;
    iterationCount = 0;
    gridSize = grid.width;
    minFilledCells = gridSize * gridSize / 10;
    gridScale = gridSize;
    gridScaleInverse = 1.0 / gridSize;
    plotX = random.RandomUnit();
    plotY = random.RandomUnit();
    idleBusy = 0;
    grid.Clear();
}

int ChooseMapModel::InitialButton() const
{
    if (app_.kindThreeTwelveTwelve) return kThreeTwelveTwelve;
    if (app_.kindFourEightEight) return kFourEightEight;
    if (app_.kindFourSixTwelve) return kFourSixTwelve;
    if (app_.kindHex) return kHex;
    if (app_.kindWildCorner) return kWildCorner;
    return kSquare;
}

void ChooseMapModel::Click(int buttonId)
{
    int* flag = nullptr;
    switch (buttonId) {
    case kHex: flag = &app_.kindHex; break;
    case kWildCorner: flag = &app_.kindWildCorner; break;
    case kFourSixTwelve: flag = &app_.kindFourSixTwelve; break;
    case kFourEightEight: flag = &app_.kindFourEightEight; break;
    case kThreeTwelveTwelve: flag = &app_.kindThreeTwelveTwelve; break;
    default: break;
    }
    bool wasSet = flag && *flag;
    app_.ClearKindFlags();
    if (flag && !wasSet) *flag = 1;
}

}  // namespace tilvex

#include "engine/TilvexApp.h"

#include <climits>
#include <cmath>

#include "maps/QuiltStep.h"

namespace tilvex {

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

CTilvexApp::CTilvexApp(std::optional<double> seed) : maps{{}, {}, {}, {}, {}, WildCornerMap(random)}
{
    ui = &ownUi;
    random.Seed(seed ? *seed : ClockSeed());
    for (int i = 0; i < 256; ++i) {
        PaletteEntry& e = palette.paletteEntries[i];
        e.red = static_cast<std::uint8_t>(random.rand() % 200 + 55);
        e.green = static_cast<std::uint8_t>(random.rand() % 200 + 55);
        e.blue = static_cast<std::uint8_t>(random.rand() % 200 + 55);
        e.flags = i == 0 ? 0 : 1;
    }
}

QuiltKind CTilvexApp::Kind() const { return KindOf(kindFlags); }

void CTilvexApp::CommitHeader(const SessionHeader& h)
{
    run = h.run;
    detail = h.detail;
    kindFlags = h.kindFlags;
    counters = h.counters;
    geometry = h.geometry;
    identity = h.identity;
    orbit = h.orbit;
}

std::string CTilvexApp::QuiltName() const
{
    return std::string(identity.Name());
}

bool CTilvexApp::OnIdle()
{
    if (run.idleBusy == 1) return true;
    run.idleBusy = 1;
    if (PastLimit(counters.iterationCount, counters.maxIterations)) {
        run.limitReached = 1;
        run.generating = 0;
        run.idleBusy = 0;
        return true;
    }
    ++counters.iterationCount;
    run.limitReached = 0;
    run.generating = 1;
    AdvancePoint();
    if (counters.iterationCount > 3000) {
        orbit.cellX = TruncToCell(orbit.plotX * geometry.gridScale);
        orbit.cellY = TruncToCell(orbit.plotY * geometry.gridScale);
        if (counters.iterationCount % 10000 == 0) {
            int before = counters.restarts;
            CheckConvergence();
            if (counters.restarts != before) {
                run.idleBusy = 0;
                return true;
            }
            if (counters.iterationCount % 100000 == 0) grid.RemoveFloor();
        }
        grid.Increment(orbit.cellX, orbit.cellY);
    }
    run.idleBusy = 0;
    return true;
}

void CTilvexApp::CheckConvergence()
{
    counters.filledCells = grid.FilledCells();
    if (counters.filledCells < counters.minFilledCells && counters.filledCells < counters.iterationCount / 50) {
        run.restartPending = 1;
        run.generating = 0;
        if (run.useRandomSettings == 1) {
            RandomNewQuilt();
        } else {
            ui->ShowConvergedMessage();
            ChooseQuiltFractal();
        }
        run.restartPending = 0;
        run.generating = 1;
        ++counters.restarts;
    }
}

void CTilvexApp::AdvancePoint() { AdvanceOrbit(Kind(), detail.hexKnot, maps, orbit); }

void CTilvexApp::WrapToUnitSquare() { tilvex::WrapToUnitSquare(orbit); }

void CTilvexApp::ResetGeneration()
{
    run.limitReached = 0;
    run.generating = 1;
    run.restartPending = 0;
    counters.filledCells = 0;
    counters.iterationCount = 0;
    geometry.gridSize = grid.width;
    counters.minFilledCells = geometry.gridSize * geometry.gridSize / 10;
    geometry.gridScale = geometry.gridSize;
    geometry.gridScaleInverse = 1.0 / geometry.gridSize;
    orbit.plotX = random.RandomUnit();
    orbit.plotY = random.RandomUnit();
    run.idleBusy = 0;
    grid.Clear();
}

}  // namespace tilvex

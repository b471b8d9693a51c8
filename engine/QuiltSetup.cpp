#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engine/TilvexApp.h"

namespace tilvex {

namespace {
// The smallest width any parameter dialog offers.
constexpr int kMinGridWidth = 20;
}  // namespace

void CTilvexApp::RandomStartPoint()
{
    double x = random.RandomUnit();
    double y = random.RandomUnit();
    orbit.plotX = x;
    orbit.plotY = y;
    orbit.point = {x, y};
}

void CTilvexApp::RandomNewQuilt()
{
    if (kindFlags.kindFourSixTwelve) {
        maps.fourSixTwelve.Randomize(random);
        RandomStartPoint();
    } else if (kindFlags.kindThreeTwelveTwelve) {
        maps.threeTwelveTwelve.Randomize(random);
        RandomStartPoint();
    } else if (kindFlags.kindFourEightEight) {
        maps.fourEightEight.Randomize(random);
        RandomStartPoint();
    } else if (kindFlags.kindHex) {
        RandomHexQuilt();
        MakeQuiltName();
        return;
    } else if (kindFlags.kindWildCorner) {
        maps.wildCorner.Randomize(random.rand() % 11 + 3, 11, random);
        double x = random.RandomUnit();
        double y = random.RandomUnit();
        orbit.point = {x, y};
        orbit.plotX = x;
        orbit.plotY = y;
    } else {
        maps.square.Randomize(random);
        RandomStartPoint();
    }
    ResetGeneration();
    MakeQuiltName();
}

void CTilvexApp::RandomHexQuilt()
{
    maps.hex.Randomize(random, detail.detailedHex);
    double u = random.RandomUnit();
    double v = random.RandomUnit();
    orbit.nextPoint = {u, v};
    if (detail.hexKnot)
        orbit.point = {u + v * 0.5, v * maps.hex.halfHeight};
    else
        orbit.point = maps.hex.FoldToCell(orbit.nextPoint);
    geometry.gridSize = grid.width;
    ApplyHexGeometry();
    ResetGeneration();
}

void CTilvexApp::ApplyHexGeometry()
{
    geometry.gridScale = grid.width;
    geometry.gridScaleInverse = 1.0 / grid.width;
    maps.hex.SetGeometry(grid.width);
    geometry.tileWidth = maps.hex.tileWidth;
    geometry.tileHeight = maps.hex.tileHeight;
}

void CTilvexApp::ApplyGridWidth(int newWidth, double iterationFactor)
{
    // The Wild Corner dialog puts no bound on its width, and a grid wider
    // than the storage's capacity would count past its end.
    newWidth = std::min(std::max(newWidth, kMinGridWidth), maxGridSize - 1);
    int old = grid.width;
    geometry.gridSize = static_cast<std::uint16_t>(old);
    if (newWidth != old) {
        grid.Clear();
        if (old < newWidth && old > 100) {
            double scale = newWidth * 0.01;
            counters.maxIterations = static_cast<int>(std::trunc(scale * scale * iterationFactor));
        }
        grid.width = static_cast<std::uint16_t>(newWidth);
    }
    geometry.gridSize = grid.width;
}

void CTilvexApp::PushDetailToMaps(unsigned parts)
{
    if (parts & kSquareDetail) {
        maps.square.detailed = detail.detailedSquare;
        maps.square.depth = detail.squareDetailDepth;
    }
    if (parts & kHexDetailed) maps.hex.detailed = detail.detailedHex;
    if (parts & kHexDepth) maps.hex.depth = detail.hexDetailDepth;
    if (parts & kHexKnot) maps.hex.knot = detail.hexKnot;
}

void CTilvexApp::MakeQuiltName()
{
    identity.quiltNumber = static_cast<int>(std::trunc(random.RandomUnit() * 999999.0));
    FormatQuiltName();
}

void CTilvexApp::FormatQuiltName()
{
    const char* format = "Qs%06li";
    if (kindFlags.kindHex)
        format = "Qh%06li";
    else if (kindFlags.kindThreeTwelveTwelve)
        format = "QT%06li";
    else if (kindFlags.kindFourEightEight)
        format = "Qe%06li";
    else if (kindFlags.kindFourSixTwelve)
        format = "Qf%06li";
    else if (kindFlags.kindWildCorner)
        format = "Qx%06li";
    std::snprintf(identity.quiltName, sizeof identity.quiltName, format, static_cast<long>(identity.quiltNumber));
}

}  // namespace tilvex

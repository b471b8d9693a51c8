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
    plotX = x;
    plotY = y;
    point = {x, y};
}

void CTilvexApp::RandomNewQuilt()
{
    if (kindFourSixTwelve) {
        maps.fourSixTwelve.Randomize(random);
        RandomStartPoint();
    } else if (kindThreeTwelveTwelve) {
        maps.threeTwelveTwelve.Randomize(random);
        RandomStartPoint();
    } else if (kindFourEightEight) {
        maps.fourEightEight.Randomize(random);
        RandomStartPoint();
    } else if (kindHex) {
        RandomHexQuilt();
        MakeQuiltName();
        return;
    } else if (kindWildCorner) {
        maps.wildCorner.Randomize(random.rand() % 11 + 3, 11, random);
        double x = random.RandomUnit();
        double y = random.RandomUnit();
        point = {x, y};
        plotX = x;
        plotY = y;
    } else {
        maps.square.Randomize(random);
        RandomStartPoint();
    }
    ResetGeneration();
    MakeQuiltName();
}

void CTilvexApp::RandomHexQuilt()
{
    maps.hex.Randomize(random, detailedHex);
    double u = random.RandomUnit();
    double v = random.RandomUnit();
    nextPoint = {u, v};
    if (hexKnot)
        point = {u + v * 0.5, v * maps.hex.halfHeight};
    else
        point = maps.hex.FoldToCell(nextPoint);
    gridSize = grid.width;
    ApplyHexGeometry();
    ResetGeneration();
}

void CTilvexApp::ApplyHexGeometry()
{
    gridScale = grid.width;
    gridScaleInverse = 1.0 / grid.width;
    maps.hex.SetGeometry(grid.width);
    tileWidth = maps.hex.tileWidth;
    tileHeight = maps.hex.tileHeight;
}

void CTilvexApp::ApplyGridWidth(int newWidth, double iterationFactor)
{
    // The Wild Corner dialog puts no bound on its width, and a grid wider
    // than the storage's capacity would count past its end.
    newWidth = std::min(std::max(newWidth, kMinGridWidth), maxGridSize - 1);
    int old = grid.width;
    gridSize = static_cast<std::uint16_t>(old);
    if (newWidth != old) {
        grid.Clear();
        if (old < newWidth && old > 100) {
            double scale = newWidth * 0.01;
            maxIterations = static_cast<int>(std::trunc(scale * scale * iterationFactor));
        }
        grid.width = static_cast<std::uint16_t>(newWidth);
    }
    gridSize = grid.width;
}

void CTilvexApp::MakeQuiltName()
{
    quiltNumber = static_cast<int>(std::trunc(random.RandomUnit() * 999999.0));
    FormatQuiltName();
}

void CTilvexApp::FormatQuiltName()
{
    const char* format = "Qs%06li";
    if (kindHex)
        format = "Qh%06li";
    else if (kindThreeTwelveTwelve)
        format = "QT%06li";
    else if (kindFourEightEight)
        format = "Qe%06li";
    else if (kindFourSixTwelve)
        format = "Qf%06li";
    else if (kindWildCorner)
        format = "Qx%06li";
    std::snprintf(quiltName, sizeof quiltName, format, static_cast<long>(quiltNumber));
}

}  // namespace tilvex

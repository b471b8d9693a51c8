#include "maps/MapThreeTwelve.h"

#include <cmath>

namespace tilvex {

MapThreeTwelve::MapThreeTwelve()
{
    for (CComplexArray* k : {&triangleRadial, &triangleAngular, &dodecagonRadial, &dodecagonAngular}) k->SetSize(4);
    dodecagonRadius = 0.5 / std::cos(twelfthPi);
    halfEdge = std::sin(twelfthPi) * dodecagonRadius;
    edge = 2 * halfEdge;
    triangleRadius = halfEdge / std::sin(thirdPi);
    triangleInradius = std::cos(thirdPi) * triangleRadius;
    rotatePlusThird = {std::cos(thirdPi), std::sin(thirdPi)};
    rotateMinusThird = {std::cos(-thirdPi), std::sin(-thirdPi)};
    Layout();
}

void MapThreeTwelve::Layout()
{
    const double x0 = origin.re, y0 = origin.im;
    const double s = halfEdge, big = triangleRadius, small = triangleInradius;

    dodecagonCenter = {x0, y0};
    rightDodecagonCenter = {x0 + 2 * 0.5, y0};
    topDodecagonCenter = {x0 + 0.5, y0 + (big + s + 0.5 + small)};
    triangleCenter = {x0 + 0.5, y0 + big + s};
    leftTriangleCenter = {x0, y0 + 0.5 + small};
    rightTriangleCenter = {x0 + 1, y0 + 0.5 + small};

    limitV = big + 0.5 + small;
    limitT1 = s + 0.5;
    limitT0 = 0.5 - s;
    limitU = big + s + small;
    limitW = 1 - s;
    slopeK1 = EdgeQuotient(limitU - s, limitT0 - 0.5);
    slopeK2 = EdgeQuotient(limitU - s, limitT1 - 0.5);
    slopeK4 = EdgeQuotient(0.5 - limitU, limitW - limitT1);
    slopeK3 = EdgeQuotient(0.5 - limitU, s - limitT0);
}

void MapThreeTwelve::Randomize(RandomSource& random)
{
    DrawCoefficients(random, triangleRadial, triangleAngular, dodecagonRadial, dodecagonAngular);
}

Complex MapThreeTwelve::Iterate(Complex& p) { return IterateTiled(p); }

TileTerms MapThreeTwelve::Terms() const
{
    if (tileType == 0) return {3, triangleCenter, &triangleRadial, &triangleAngular, false};
    return {12, dodecagonCenter, &dodecagonRadial, &dodecagonAngular, true};
}

Complex MapThreeTwelve::Keep(int type)
{
    tileType = type;
    foldResult = {foldX, foldY};
    return foldResult;
}

Complex MapThreeTwelve::TopTransfer()
{
    tileType = 1;
    foldResult = {std::fabs(foldX - topDodecagonCenter.re), std::fabs(foldY - topDodecagonCenter.im)};
    return foldResult;
}

Complex MapThreeTwelve::RightTransfer()
{
    tileType = 1;
    foldResult = {std::fabs(foldX - rightDodecagonCenter.re), std::fabs(foldY - rightDodecagonCenter.im)};
    return foldResult;
}

// The side triangles are turned onto the canonical one, not mirrored.
Complex MapThreeTwelve::TriangleTransfer(Complex rotation, Complex from)
{
    tileType = 0;
    foldResult = rotation * (Complex{foldX, foldY} - from) + triangleCenter;
    return foldResult;
}

Complex MapThreeTwelve::FoldToCell(Complex& p)
{
    const double h = topDodecagonCenter.im;
    foldX = std::fabs(std::fabs(std::fmod(p.re + 1, 2)) - 1);
    foldY = std::fabs(std::fabs(std::fmod(p.im + h, 2 * h)) - h);
    p = {foldX, foldY};
    const double x = foldX, y = foldY;
    const double s = halfEdge, t0 = limitT0, t1 = limitT1, u = limitU, w = limitW;

    if (y >= limitV) return TopTransfer();
    if (y <= s && x <= 0.5) return Keep(1);
    if (y <= s && x > 0.5) return RightTransfer();
    if (y >= u && t0 <= x && x <= t1) return TopTransfer();
    if (y < 0.5 && x <= s) return Keep(1);
    if (y < 0.5 && x >= w) return RightTransfer();
    if (y < u) {
        if (x <= t0) return Keep(1);
        if (x >= t1) return RightTransfer();
        if (x > 0.5) return EdgeQuotient(y - s, x - 0.5) >= slopeK2 ? Keep(0) : RightTransfer();
        if (x <= 0.5) return EdgeQuotient(y - s, x - 0.5) < slopeK1 ? Keep(0) : Keep(1);
    }
    if (y < 0.5) {
        if (t1 <= x && x <= w) return EdgeQuotient(y - u, x - t1) >= slopeK4 ? TopTransfer() : RightTransfer();
        if (s <= x && x <= t0) return EdgeQuotient(y - u, x - t0) < slopeK3 ? TopTransfer() : Keep(1);
        foldResult = p;  // no row claims the point: tileType stays as it was
        return foldResult;
    }
    // From here 0.5 <= y < v: the band of the two upward side triangles.
    if (x < s) {
        if (EdgeQuotient(y - 0.5, x - s) < slopeK1) return TopTransfer();
        return TriangleTransfer(rotatePlusThird, leftTriangleCenter);
    }
    if (x < w) return TopTransfer();
    if (EdgeQuotient(y - 0.5, x - w) >= slopeK2) return TopTransfer();
    return TriangleTransfer(rotateMinusThird, rightTriangleCenter);
}

}  // namespace tilvex

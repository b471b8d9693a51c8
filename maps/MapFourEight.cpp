#include "maps/MapFourEight.h"

#include <cmath>

namespace tilvex {

MapFourEight::MapFourEight()
{
    sqrt2 = std::sqrt(2.0);
    for (CComplexArray* k : {&squareRadial, &squareAngular, &octagonRadial, &octagonAngular}) k->SetSize(4);
    Layout(sqrt2);
    // Second pass: scale the cell to 1 x 1.
    Layout((1 / topLeftSquareCenter.im) * sqrt2);
}

void MapFourEight::Layout(double size)
{
    const double l = size;
    squareHalfDiagonal = l;
    halfEdge = l * std::cos(quarterPi);
    const double a = halfEdge;
    octagonRadius = a / std::sin(eighthPi);
    octagonApothem = std::cos(eighthPi) * octagonRadius;
    const double b = octagonApothem;
    const double x0 = origin.re, y0 = origin.im;

    squareCenter = {x0, y0};
    topLeftSquareCenter = {x0, y0 + 2 * (l + a)};
    topRightSquareCenter = {x0 + 2 * (l + a), y0 + 2 * (l + a)};
    rightSquareCenter = {x0 + 2 * (l + a), y0};
    octagonCenter = {x0 + b, y0 + b};

    bandLimit = bandLimitY = bandLimitCorner = 2 * a + l;
    lowerSlope = EdgeQuotient(l, -l);
    upperSlope = -lowerSlope;
}

void MapFourEight::Randomize(RandomSource& random)
{
    DrawCoefficients(random, squareRadial, squareAngular, octagonRadial, octagonAngular);
}

Complex MapFourEight::Iterate(Complex& p) { return IterateTiled(p); }

TileTerms MapFourEight::Terms() const
{
    if (tileType == 0) return {4, squareCenter, &squareRadial, &squareAngular, false};
    return {8, octagonCenter, &octagonRadial, &octagonAngular, false};
}

Complex MapFourEight::CornerTransfer(Complex corner)
{
    tileType = 0;
    foldMoved = {std::fabs(foldX - corner.re), std::fabs(foldY - corner.im)};
    return foldMoved;
}

Complex MapFourEight::FoldToCell(Complex& p)
{
    const double w = topRightSquareCenter.re;
    const double l = squareHalfDiagonal;
    foldX = std::fabs(std::fabs(std::fmod(p.re + w, 2 * w)) - w);
    foldY = std::fabs(std::fabs(std::fmod(p.im + 1, 2)) - 1);
    p = {foldX, foldY};
    const double x = foldX, y = foldY;

    // Each corner square is the diamond |x - cx| + |y - cy| <= L; the quotient
    // compares the point with the diamond's edge facing the octagon.
    tileType = 1;
    if (l <= x && x <= bandLimit) return p;
    if (l <= y && y <= bandLimitY) return p;
    const double b = bandLimitCorner;
    if (y <= l && x <= l) {
        if (EdgeQuotient(y, x - l) < lowerSlope) return p;
        tileType = 0;
        return p;
    }
    if (y <= l && x >= b) {
        if (EdgeQuotient(y, x - b) < upperSlope) return CornerTransfer(rightSquareCenter);
        return p;
    }
    if (y >= b && x <= l) {
        if (EdgeQuotient(y - b, x) < upperSlope) return p;
        return CornerTransfer(topLeftSquareCenter);
    }
    if (y >= b && x >= b) {
        if (EdgeQuotient(y - b, x - w) < lowerSlope) return CornerTransfer(topRightSquareCenter);
        return p;
    }
    return p;
}

}  // namespace tilvex

#include "maps/MapSixFourTwelve.h"

#include <cmath>

#include "maps/SegmentsIntersect.h"

namespace tilvex {

MapSixFourTwelve::MapSixFourTwelve()
{
    sqrt2 = std::sqrt(2.0);
    twelfthPi = quarterPi * 0.3333333333333333;
    for (CComplexArray* k : {&squareRadial, &squareAngular, &hexRadial, &hexAngular, &dodecagonRadial, &dodecagonAngular})
        k->SetSize(4);
    rotateMinusSixth = {std::cos(-sixthPi), std::sin(-sixthPi)};
    Layout(sqrt2);
    // Second pass: scale so that the cell is 1 high (up to the origin offset).
    Layout((1 / upperDodecagonCenter.im) * sqrt2);
}

void MapSixFourTwelve::Layout(double size)
{
    squareHalfDiagonal = size;
    halfEdge = size * std::cos(quarterPi);
    const double a = halfEdge;
    dodecagonRadius = a / std::sin(twelfthPi);
    dodecagonApothem = std::cos(twelfthPi) * dodecagonRadius;
    edge = a / std::sin(sixthPi);
    hexApothem = std::cos(sixthPi) * edge;
    const double b = dodecagonApothem, c = hexApothem;
    const double x0 = origin.re, y0 = origin.im;

    squareCenter = {x0, y0};
    dodecagonCenter = {x0 + a + b, y0};
    upperDodecagonCenter = {x0, y0 + a + b + 2 * c};
    hexCenter = {x0, y0 + a + c};
    upperHexCenter = {x0 + a + b, y0 + b + c};
    upperSquareCenter = {x0 + a + b, y0 + a + b + 2 * c};
    slantSquareCenter = {a + (b - a) / 2, a + c + (b - a) / 2};

    limitA = a;
    limitTwoA = 2 * a;
    limitB = b;
    limitBMinusA = b - a;
    limitCPlusA = c + a;
    limitTwoCPlusA = 2 * c + a;
    limitBPlusC = b + c;
    limitTwoCPlusB = 2 * c + b;
    limitA2 = a;
    limitUnused = 0.0;
}

void MapSixFourTwelve::Randomize(RandomSource& random)
{
    DrawCoefficients(random, squareRadial, squareAngular, hexRadial, hexAngular, dodecagonRadial, dodecagonAngular);
}

Complex MapSixFourTwelve::Iterate(Complex& p) { return IterateTiled(p); }

TileTerms MapSixFourTwelve::Terms() const
{
    switch (tileType) {
    case 0: return {4, squareCenter, &squareRadial, &squareAngular, false};
    case 1: return {6, hexCenter, &hexRadial, &hexAngular, false};
    default: return {12, dodecagonCenter, &dodecagonRadial, &dodecagonAngular, false};
    }
}

Complex MapSixFourTwelve::UpperDodecagonTransfer()
{
    const double w = dodecagonCenter.re;
    foldMoved = Complex{foldX, foldY} - upperDodecagonCenter + dodecagonCenter;
    if (foldMoved.re > w) foldMoved.re = w - (foldMoved.re - w);
    return {foldMoved.re, std::fabs(foldMoved.im)};
}

Complex MapSixFourTwelve::UpperHexagonTransfer()
{
    foldMoved = Complex{foldX, foldY} - upperHexCenter + hexCenter;
    return {std::fabs(foldMoved.re), foldMoved.im};
}

Complex MapSixFourTwelve::FoldToCell(Complex& p)
{
    const double w = dodecagonCenter.re;
    foldX = std::fabs(std::fabs(std::fmod(p.re + w, 2 * w)) - w);
    foldY = std::fabs(std::fabs(std::fmod(p.im + 1, 2)) - 1);
    p = {foldX, foldY};
    const double x = foldX, y = foldY;

    if (y < limitA && x < limitA) {
        tileType = 0;
        return p;
    }
    if (y < limitA && x >= limitA) {
        tileType = 2;
        return p;
    }
    if (y > limitTwoCPlusB && x <= limitB) {
        tileType = 2;
        return UpperDodecagonTransfer();
    }
    if (y > limitTwoCPlusB && x > limitB) {
        tileType = 0;
        foldMoved = {std::fabs(x - upperSquareCenter.re), std::fabs(y - upperSquareCenter.im)};
        return foldMoved;
    }
    if (y >= limitTwoCPlusA && x <= limitA2) {
        tileType = 2;
        return UpperDodecagonTransfer();
    }
    if (y <= limitCPlusA) {
        if (SegmentsIntersect(0, hexCenter.im, x, y, limitA, limitA, limitTwoA, limitCPlusA)) {
            tileType = 2;
            return p;
        }
        tileType = 1;
        return p;
    }
    if (y >= limitBPlusC) {
        if (SegmentsIntersect(upperHexCenter.re, upperHexCenter.im, x, y, limitBMinusA, limitBPlusC, limitB,
                              limitTwoCPlusB)) {
            tileType = 2;
            return UpperDodecagonTransfer();
        }
        tileType = 1;
        return UpperHexagonTransfer();
    }

    // The band around the slanted square: its four sides, in order around it.
    const Complex s = slantSquareCenter;
    if (SegmentsIntersect(s.re, s.im, x, y, limitTwoA, limitCPlusA, limitB, limitB)) {
        tileType = 2;
        return p;
    }
    if (SegmentsIntersect(s.re, s.im, x, y, limitB, limitB, limitBMinusA, limitBPlusC)) {
        tileType = 1;
        return UpperHexagonTransfer();
    }
    if (SegmentsIntersect(s.re, s.im, x, y, limitBMinusA, limitBPlusC, limitA, limitTwoCPlusA)) {
        tileType = 2;
        return UpperDodecagonTransfer();
    }
    if (SegmentsIntersect(s.re, s.im, x, y, limitA, limitTwoCPlusA, limitTwoA, limitCPlusA)) {
        tileType = 1;
        return p;
    }
    tileType = 0;
    foldMoved = (p - s) * rotateMinusSixth;
    return {std::fabs(foldMoved.re), std::fabs(foldMoved.im)};
}

}  // namespace tilvex

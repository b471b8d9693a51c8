#pragma once

#include "core/Complex.h"
#include "core/GrowableArray.h"
#include "core/RandomSource.h"
#include "maps/TiledPolynomialMap.h"

namespace tilvex {

// The 4-8-8 tiling quilt map: octagons and squares standing on a corner. The
// fold cell is [0, W] x [0, 1] with W = topRightSquareCenter.re (about 1).
class MapFourEight : public TiledPolynomialMap<MapFourEight> {
public:
    MapFourEight();

    void Randomize(RandomSource& random);
    // p is overwritten with its folded position; returns the canonical point.
    Complex Iterate(Complex& p);
    Complex FoldToCell(Complex& p);
    void Layout(double size);
    TileTerms Terms() const;

    // Every field after tileType, in the session record's order; arrays
    // element k of each, k outer.
    template <class F>
    void ForEachRecordField(F&& f) { VisitRecord(*this, f); }
    template <class F>
    void ForEachRecordField(F&& f) const { VisitRecord(*this, f); }

    int tileType = 0;  // 0 square, 1 octagon
    Complex origin;
    Complex squareCenter;
    Complex topLeftSquareCenter;
    Complex topRightSquareCenter;
    Complex rightSquareCenter;
    Complex octagonCenter;
    double halfEdge = 0.0;            // a
    double squareHalfDiagonal = 0.0;  // L
    double octagonApothem = 0.0;      // b
    double octagonRadius = 0.0;
    double sqrt2 = 0.0;
    double quarterPi = 0.785398163375;
    double eighthPi = 0.3926990816875;
    CComplexArray squareRadial, squareAngular;
    CComplexArray octagonRadial, octagonAngular;
    Complex lastPoint;
    Complex conjZ, zTimesConjZ, zPowN, conjZPowN1, realZPowN;
    Complex radialValue, angularValue;
    Complex stepPoint;  // folded input, then the new point
    Complex savedZ;
    double spareWorkValue = 0.0;
    int spareFlag1 = 0, spareFlag2 = 0;
    Complex spareWorkPoint;
    Complex polyPartialHigh, polyPartialLow;
    Complex foldMoved;
    double foldX = 0.0, foldY = 0.0;
    double bandLimit = 0.0, bandLimitY = 0.0, bandLimitCorner = 0.0;  // 2a + L, three copies
    double lowerSlope = 0.0;
    double upperSlope = 0.0;

private:
    Complex CornerTransfer(Complex corner);

    template <class Self, class F>
    static void VisitRecord(Self& s, F& f)
    {
        f(s.origin);
        f(s.squareCenter);
        f(s.topLeftSquareCenter);
        f(s.topRightSquareCenter);
        f(s.rightSquareCenter);
        f(s.octagonCenter);
        f(s.halfEdge);
        f(s.squareHalfDiagonal);
        f(s.octagonApothem);
        f(s.octagonRadius);
        f(s.sqrt2);
        f(s.quarterPi);
        f(s.eighthPi);
        for (int k = 0; k < 4; ++k) {
            f(s.squareRadial[k]);
            f(s.squareAngular[k]);
            f(s.octagonRadial[k]);
            f(s.octagonAngular[k]);
        }
        f(s.lastPoint);
        f(s.conjZ);
        f(s.zTimesConjZ);
        f(s.zPowN);
        f(s.conjZPowN1);
        f(s.realZPowN);
        f(s.radialValue);
        f(s.angularValue);
        f(s.stepPoint);
        f(s.savedZ);
        f(s.spareWorkValue);
        f(s.spareFlag1);
        f(s.spareFlag2);
        f(s.spareWorkPoint);
        f(s.polyPartialHigh);
        f(s.polyPartialLow);
        f(s.foldMoved);
        f(s.foldX);
        f(s.foldY);
        f(s.bandLimit);
        f(s.bandLimitY);
        f(s.bandLimitCorner);
        f(s.lowerSlope);
        f(s.upperSlope);
    }
};

}  // namespace tilvex

#pragma once

#include "core/Complex.h"
#include "core/GrowableArray.h"
#include "core/RandomSource.h"
#include "maps/TiledPolynomialMap.h"

namespace tilvex {

// The 4-6-12 tiling quilt map: squares, hexagons and dodecagons of one edge
// length. The fold cell is [0, W] x [0, 1], W = dodecagonCenter.re.
class MapSixFourTwelve : public TiledPolynomialMap<MapSixFourTwelve> {
public:
    MapSixFourTwelve();

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

    int tileType = 0;  // 0 square, 1 hexagon, 2 dodecagon
    Complex origin{0.000001, 0.000001};
    double spareValue = 0.0;
    Complex squareCenter;
    Complex slantSquareCenter;
    Complex upperSquareCenter;
    Complex hexCenter;
    Complex upperHexCenter;
    Complex dodecagonCenter;       // its re is the cell half-width W
    Complex upperDodecagonCenter;  // its im is the cell height
    CComplexArray squareRadial, squareAngular;
    CComplexArray hexRadial, hexAngular;
    CComplexArray dodecagonRadial, dodecagonAngular;
    double sqrt2 = 0.0;
    double quarterPi = 0.785398163375;
    double twelfthPi = 0.0;
    double sixthPi = 0.5235987755833333;
    double thirdPi = 1.0471975511666667;
    double halfEdge = 0.0;            // a
    double squareHalfDiagonal = 0.0;  // L
    double hexApothem = 0.0;          // c
    double edge = 0.0;
    double dodecagonApothem = 0.0;  // b
    double dodecagonRadius = 0.0;
    Complex sparePoint;
    Complex lastPoint;
    Complex conjZ, zTimesConjZ, zPowN, conjZPowN1, realZPowN;
    Complex radialValue, angularValue;
    Complex stepPoint;  // folded input, then the new point
    Complex savedZ;
    double spareWorkValue = 0.0;
    int spareFlag1 = 0, spareFlag2 = 0;
    Complex spareWorkPoint;
    Complex polyPartialHigh, polyPartialLow;
    Complex rotateMinusSixth;
    Complex foldMoved;
    double foldX = 0.0, foldY = 0.0;
    // Fold boundaries: a, 2c + a, a, 2a, (unused), 2c + b, b - a, b, c + a, b + c.
    double limitA = 0.0, limitTwoCPlusA = 0.0, limitA2 = 0.0, limitTwoA = 0.0, limitUnused = 0.0;
    double limitTwoCPlusB = 0.0, limitBMinusA = 0.0, limitB = 0.0, limitCPlusA = 0.0, limitBPlusC = 0.0;

private:
    Complex UpperDodecagonTransfer();
    Complex UpperHexagonTransfer();

    template <class Self, class F>
    static void VisitRecord(Self& s, F& f)
    {
        f(s.origin);
        f(s.spareValue);
        f(s.squareCenter);
        f(s.slantSquareCenter);
        f(s.upperSquareCenter);
        f(s.hexCenter);
        f(s.upperHexCenter);
        f(s.dodecagonCenter);
        f(s.upperDodecagonCenter);
        for (int k = 0; k < 4; ++k) {
            f(s.squareRadial[k]);
            f(s.squareAngular[k]);
            f(s.hexRadial[k]);
            f(s.hexAngular[k]);
            f(s.dodecagonRadial[k]);
            f(s.dodecagonAngular[k]);
        }
        f(s.sqrt2);
        f(s.quarterPi);
        f(s.twelfthPi);
        f(s.sixthPi);
        f(s.thirdPi);
        f(s.halfEdge);
        f(s.squareHalfDiagonal);
        f(s.hexApothem);
        f(s.edge);
        f(s.dodecagonApothem);
        f(s.dodecagonRadius);
        f(s.sparePoint);
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
        f(s.rotateMinusSixth);
        f(s.foldMoved);
        f(s.foldX);
        f(s.foldY);
        f(s.limitA);
        f(s.limitTwoCPlusA);
        f(s.limitA2);
        f(s.limitTwoA);
        f(s.limitUnused);
        f(s.limitTwoCPlusB);
        f(s.limitBMinusA);
        f(s.limitB);
        f(s.limitCPlusA);
        f(s.limitBPlusC);
    }
};

}  // namespace tilvex

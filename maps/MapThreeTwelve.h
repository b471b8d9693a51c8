#pragma once

#include "core/Complex.h"
#include "core/GrowableArray.h"
#include "core/RandomSource.h"
#include "maps/TiledPolynomialMap.h"

namespace tilvex {

// The 3-12-12 tiling quilt map: dodecagons of apothem 0.5 on a triangular
// lattice of spacing 1, with a triangle between every three of them. The fold
// cell is [0, 1] x [0, H], H = topDodecagonCenter.im.
class MapThreeTwelve : public TiledPolynomialMap<MapThreeTwelve> {
public:
    MapThreeTwelve();

    void Randomize(RandomSource& random);
    // p is overwritten with its folded position; returns the canonical point.
    Complex Iterate(Complex& p);
    // Sets tileType, except for a point no row claims (then it keeps the last one).
    Complex FoldToCell(Complex& p);
    void Layout();
    TileTerms Terms() const;

    // Every field after tileType, in the session record's order; arrays
    // element k of each, k outer.
    template <class F>
    void ForEachRecordField(F&& f) { VisitRecord(*this, f); }
    template <class F>
    void ForEachRecordField(F&& f) const { VisitRecord(*this, f); }

    int tileType = 0;  // 0 triangle, 1 dodecagon
    Complex origin;
    Complex triangleCenter;       // points down
    Complex leftTriangleCenter;   // points up
    Complex rightTriangleCenter;  // points up
    Complex dodecagonCenter;
    Complex rightDodecagonCenter;
    Complex topDodecagonCenter;  // its im is the cell height H
    Complex rotatePlusThird;
    Complex rotateMinusThird;
    double triangleInradius = 0.0;
    double triangleRadius = 0.0;
    double halfSpacing = 0.5;
    double dodecagonRadius = 0.0;
    double thirdPi = 1.0471975511666667;
    double twelfthPi = 0.2617993877916667;
    CComplexArray triangleRadial, triangleAngular;
    CComplexArray dodecagonRadial, dodecagonAngular;
    Complex lastPoint;
    Complex conjZ, zTimesConjZ, zPowN, conjZPowN1, realZPowN;
    Complex radialValue, angularValue;
    Complex stepPoint;  // folded input, then the new point
    Complex savedZ;
    double spareWorkValue = 0.0;
    int spareFlag1 = 0, spareFlag2 = 0;
    Complex spareWorkPoint;
    Complex polyPartialHigh, polyPartialLow;
    Complex foldResult;
    double foldX = 0.0, foldY = 0.0;
    double edge = 0.0;
    double halfEdge = 0.0;  // s
    // Fold boundaries v, t1, t0, u, w and edge slopes k1, k2, k4, k3.
    double limitV = 0.0, limitT1 = 0.0, limitT0 = 0.0, limitU = 0.0, limitW = 0.0;
    double slopeK1 = 0.0, slopeK2 = 0.0, slopeK4 = 0.0, slopeK3 = 0.0;

private:
    Complex Keep(int type);
    Complex TopTransfer();
    Complex RightTransfer();
    Complex TriangleTransfer(Complex rotation, Complex from);

    template <class Self, class F>
    static void VisitRecord(Self& s, F& f)
    {
        f(s.origin);
        f(s.triangleCenter);
        f(s.leftTriangleCenter);
        f(s.rightTriangleCenter);
        f(s.dodecagonCenter);
        f(s.rightDodecagonCenter);
        f(s.topDodecagonCenter);
        f(s.rotatePlusThird);
        f(s.rotateMinusThird);
        f(s.triangleInradius);
        f(s.triangleRadius);
        f(s.halfSpacing);
        f(s.dodecagonRadius);
        f(s.thirdPi);
        f(s.twelfthPi);
        for (int k = 0; k < 4; ++k) {
            f(s.triangleRadial[k]);
            f(s.triangleAngular[k]);
            f(s.dodecagonRadial[k]);
            f(s.dodecagonAngular[k]);
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
        f(s.foldResult);
        f(s.foldX);
        f(s.foldY);
        f(s.edge);
        f(s.halfEdge);
        f(s.limitV);
        f(s.limitT1);
        f(s.limitT0);
        f(s.limitU);
        f(s.limitW);
        f(s.slopeK1);
        f(s.slopeK2);
        f(s.slopeK4);
        f(s.slopeK3);
    }
};

}  // namespace tilvex
